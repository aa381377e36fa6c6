#pragma once

#include <windows.h>

#include <string>

#include "common/module.h"

// shell32.dll, bound by name for as long as the object lives: linking it
// would load it, and the libraries it brings, into every process that loads
// the settings library.
class Shell32 {
public:
    Shell32();

    // ShellExecuteA with no owner, the default verb and SW_SHOWNORMAL; false
    // when the function is missing. The shell's own result is not used.
    bool Execute(const std::string& target) const;
    // SHGetSpecialFolderPathA into a MAX_PATH buffer; false when the function
    // is missing or fails.
    bool GetSpecialFolderPath(HWND owner, char* path, int csidl, bool create) const;

private:
    using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    using SHGetSpecialFolderPathFn = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);

    Module library_;
    ShellExecuteFn shellExecute_ = nullptr;
    SHGetSpecialFolderPathFn getSpecialFolderPath_ = nullptr;
};
