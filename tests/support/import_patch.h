#pragma once

#include <windows.h>

#include <vector>

namespace testsupport {

// Points a module's import of dll!function at a replacement for the patch's
// lifetime. Used where Wine cannot give the condition itself, such as the
// HotSync waits that would otherwise take 30 seconds.
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

// Replaces Sleep in a module with one that returns at once and records
// each requested wait.
class SleepRecorder {
public:
    explicit SleepRecorder(HMODULE module);
    ~SleepRecorder();
    bool applied() const { return patch_.applied(); }
    // The number of waits of exactly ms milliseconds.
    static int Count(DWORD ms);

private:
    static void WINAPI FakeSleep(DWORD ms);
    ImportPatch patch_;
};

}  // namespace testsupport
