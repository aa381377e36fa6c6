#pragma once

#include <windows.h>
#include <commdlg.h>

#include "common/module.h"

// comdlg32.dll, bound by name for as long as the object lives: linking it
// would load it, and the libraries it brings, into every process that loads
// the settings library.
class CommonDialogs {
public:
    CommonDialogs();

    // GetOpenFileNameA; on false, error holds CommDlgExtendedError (0 when the
    // user cancelled, or when the library lacks either function, in which
    // case nothing is shown).
    bool ShowOpenFile(OPENFILENAMEA* dialog, DWORD* error) const;

private:
    using GetOpenFileNameFn = BOOL(WINAPI*)(LPOPENFILENAMEA);
    using CommDlgExtendedErrorFn = DWORD(WINAPI*)();

    Module library_;
    GetOpenFileNameFn getOpenFileName_ = nullptr;
    CommDlgExtendedErrorFn extendedError_ = nullptr;
};
