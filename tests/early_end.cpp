// A GoogleTest program whose tests end the process in the middle of the run
// in a way whose exit status reads as 0 on Linux; tests/check_early_end.sh
// runs it through the build's Wine script, which must report it failed.
#include <windows.h>

#include <gtest/gtest.h>

namespace {

DWORD WINAPI EndLater(void*) {
    Sleep(300);
    return 0;
}

}  // namespace

TEST(EarlyEnd, Finishes) { EXPECT_EQ(2, 1 + 1); }

// The way Wine ends a thread that overflows its stack while an exception is
// dispatched: that thread alone ends, and the process with its last one.
TEST(EarlyEnd, ThreadEndsWhileAnotherRuns) {
    HANDLE other = CreateThread(nullptr, 0, EndLater, nullptr, 0, nullptr);
    ASSERT_NE(nullptr, other);
    ExitThread(1);
}
