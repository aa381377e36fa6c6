#pragma once

#include <windows.h>

namespace bench {

// Points a module's import of dll!function at a replacement while it lives.
// The same technique as the tests' own, kept apart so that the benchmark
// links nothing of the test harness.
class ImportPatch {
public:
    ImportPatch(HMODULE module, const char* dll, const char* function, void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool applied() const { return slot_ != nullptr; }
    void* original() const { return original_; }

private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
};

}  // namespace bench
