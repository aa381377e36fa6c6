#include "bindings/shell_folders.h"

#include "bindings/shell32.h"
#include "bindings/shell_folder_library.h"
#include "common/os_class.h"

bool GetSpecialFolder(HWND owner, char* path, int csidl, bool create) {
    if (GetOsClass() > kOsNt4) return Shell32().GetSpecialFolderPath(owner, path, csidl, create);
    return ShellFolderLibrary().GetFolderPath(owner, path, csidl, create);
}
