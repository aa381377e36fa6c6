#pragma once

// How a foreign library faults: the "Fault" values of the stand-ins that fault
// inside an exception frame of their own (standins/foreign_faults.h).

#include <windows.h>

#include <ostream>

#include <gtest/gtest.h>

struct ForeignFaultCase {
    const char* what;
    DWORD fault;
};

inline void PrintTo(const ForeignFaultCase& c, std::ostream* out) { *out << c.what; }

inline auto ForeignFaultCases() {
    return ::testing::Values(ForeignFaultCase{"access violation", 1},
                             ForeignFaultCase{"non-continuable exception", 2},
                             ForeignFaultCase{"Visual C++ throw", 3});
}
