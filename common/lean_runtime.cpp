// Linked into each shipped DLL as an object of its own, ahead of the static
// C++ runtime, to keep the runtime's heaviest parts out of the DLLs:
//
// - The runtime's default terminate handler prints the type of the active
//   exception, which links its whole name demangler (about 46 KB). Nothing of
//   ours ends in terminate on purpose; when something does, the quiet handler
//   below ends the process as the verbose one would, without the message.
// - The runtime reports a failed allocation or an over-long string through
//   the std::__throw_* functions, which build std::length_error and its kin
//   around a reference-counted string (another 45 KB with their string code).
//   Ours throw std::bad_alloc instead: every catch of ours is catch (...), so
//   the failure still reaches the same boundary.
// - std::string's members come from one explicit instantiation compiled here
//   with our flags, so the linker keeps only the members we call instead of
//   the runtime's whole prebuilt string object.
// - The runtime keeps each thread's record of exceptions in flight in
//   emulated thread-local storage, which it allocates at the thread's first
//   throw and, when the heap is exhausted, ends the process instead. That
//   first throw is often the std::bad_alloc of an allocation that failed, so
//   ours keep the record behind a TLS slot and, when no memory can be had,
//   use a record of the library's own (below). The exception object itself
//   then comes from the runtime's emergency pool, reserved when the library
//   loads.
//
// These names are the runtime's own, declared in <bits/functexcept.h> and
// <exception>, and have been stable for many releases. The linker takes our
// definitions because they come first; should the runtime ever need another
// symbol from the same object, the link fails with a duplicate definition
// rather than shipping two.
#include <windows.h>

#include <cstdlib>
#include <exception>
#include <new>
#include <string>

#if defined(__GLIBCXX__)

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_alloc(); }
void __throw_length_error(const char*) { throw bad_alloc(); }
void __throw_logic_error(const char*) { throw bad_alloc(); }
void __throw_out_of_range(const char*) { throw bad_alloc(); }
void __throw_out_of_range_fmt(const char*, ...) { throw bad_alloc(); }
void __throw_invalid_argument(const char*) { throw bad_alloc(); }
}  // namespace std

template class std::basic_string<char>;

namespace {

// The runtime's __cxa_eh_globals: the exceptions caught and not yet
// finished, and the number thrown and not yet caught.
struct EhGlobals {
    void* caughtExceptions;
    unsigned int uncaughtExceptions;
};

DWORD g_slot = TLS_OUT_OF_INDEXES;
// For a thread whose record could not be allocated, and before the slot
// exists. Shared: the libraries never run two threads of their own, and a
// thread keeps it only while it has exceptions in it.
EhGlobals g_spare = {};

bool IsIdle(const EhGlobals* globals) { return !globals->caughtExceptions && globals->uncaughtExceptions == 0; }

void FreeRecord(DWORD slot) {
    auto* globals = static_cast<EhGlobals*>(TlsGetValue(slot));
    if (globals != &g_spare) std::free(globals);
}

EhGlobals* ThreadGlobals() noexcept {
    if (g_slot == TLS_OUT_OF_INDEXES) return &g_spare;
    // The record is asked for wherever an exception passes: keep the
    // thread's last error as it was.
    const DWORD lastError = GetLastError();
    auto* globals = static_cast<EhGlobals*>(TlsGetValue(g_slot));
    // A thread moves to a record of its own only while it has nothing in the
    // spare one, so its exceptions never change records half-way.
    if (!globals || (globals == &g_spare && IsIdle(globals))) {
        auto* own = static_cast<EhGlobals*>(std::calloc(1, sizeof(EhGlobals)));
        globals = own ? own : &g_spare;
        TlsSetValue(g_slot, globals);
    }
    SetLastError(lastError);
    return globals;
}

}  // namespace

extern "C" EhGlobals* __cxa_get_globals() noexcept { return ThreadGlobals(); }
extern "C" EhGlobals* __cxa_get_globals_fast() noexcept { return ThreadGlobals(); }

// The slot lives as long as the library; each thread's record as long as the
// thread, or the library when it is unloaded first.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        g_slot = TlsAlloc();
        break;
    case DLL_THREAD_DETACH:
        if (g_slot != TLS_OUT_OF_INDEXES) FreeRecord(g_slot);
        break;
    case DLL_PROCESS_DETACH:
        if (g_slot != TLS_OUT_OF_INDEXES) {
            FreeRecord(g_slot);
            TlsFree(g_slot);
            g_slot = TLS_OUT_OF_INDEXES;
        }
        break;
    default:
        break;
    }
    return TRUE;
}

#endif
