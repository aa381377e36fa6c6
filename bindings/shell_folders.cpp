#include "bindings/shell_folders.h"

#include <shlobj.h>

#include "common/module.h"
#include "common/os_class.h"

namespace {
using SHGetSpecialFolderPathFn = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);
using SHGetFolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
}  // namespace

bool GetSpecialFolder(HWND owner, char* path, int csidl, bool create) {
    if (GetOsClass() > kOsNt4) {
        const Module shell = Module::Load("shell32.dll");
        auto get = shell.Find<SHGetSpecialFolderPathFn>("SHGetSpecialFolderPathA");
        return get && get(owner, path, csidl, create ? TRUE : FALSE);
    }
    const Module shfolder = Module::Load("shfolder.dll");
    auto get = shfolder.Find<SHGetFolderPathFn>("SHGetFolderPathA");
    return get && get(owner, csidl | (create ? CSIDL_FLAG_CREATE : 0), nullptr, 0, path) == S_OK;
}
