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

// Makes a module's heap allocations fail, as when memory has run out: its
// imports of msvcrt's malloc, calloc and realloc refuse every request of at
// least atLeast bytes (0: every request) while the others go through.
// operator new and the runtime's own allocations of a statically linked
// module come through these too.
class AllocationRefusal {
public:
    AllocationRefusal(HMODULE module, size_t atLeast);
    ~AllocationRefusal();
    bool applied() const { return malloc_.applied() && calloc_.applied() && realloc_.applied(); }
    // The requests refused since the refusal began.
    static int Refused();

private:
    static void* __cdecl Malloc(size_t size);
    static void* __cdecl Calloc(size_t count, size_t size);
    static void* __cdecl Realloc(void* block, size_t size);
    ImportPatch malloc_;
    ImportPatch calloc_;
    ImportPatch realloc_;
};

}  // namespace testsupport
