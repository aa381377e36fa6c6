#include "bindings/shell_folder_library.h"

#include <shlobj.h>

ShellFolderLibrary::ShellFolderLibrary()
    : library_(Module::Load("shfolder.dll")), getFolderPath_(library_.Find<SHGetFolderPathFn>("SHGetFolderPathA")) {}

bool ShellFolderLibrary::GetFolderPath(HWND owner, char* path, int csidl, bool create) const {
    return getFolderPath_ && getFolderPath_(owner, csidl | (create ? CSIDL_FLAG_CREATE : 0), nullptr, 0, path) == S_OK;
}
