#pragma once

#include <windows.h>

// The module (DLL or EXE) this code is linked into: resources are loaded
// from it, never from the host process.
extern "C" IMAGE_DOS_HEADER __ImageBase;

inline HMODULE ThisModule() { return reinterpret_cast<HMODULE>(&__ImageBase); }
