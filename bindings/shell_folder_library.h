#pragma once

#include <windows.h>

#include "common/module.h"

// shfolder.dll, which gives the shell's special folders on systems whose
// shell32 lacks them, bound by name for as long as the object lives.
class ShellFolderLibrary {
public:
    ShellFolderLibrary();

    // SHGetFolderPathA into a MAX_PATH buffer, creating the folder when asked;
    // false when the function is missing or fails.
    bool GetFolderPath(HWND owner, char* path, int csidl, bool create) const;

private:
    using SHGetFolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);

    Module library_;
    SHGetFolderPathFn getFolderPath_ = nullptr;
};
