#include "bindings/shell32.h"

Shell32::Shell32()
    : library_(Module::Load("shell32.dll")),
      shellExecute_(library_.Find<ShellExecuteFn>("ShellExecuteA")),
      getSpecialFolderPath_(library_.Find<SHGetSpecialFolderPathFn>("SHGetSpecialFolderPathA")) {}

bool Shell32::Execute(const std::string& target) const {
    if (!shellExecute_) return false;
    shellExecute_(nullptr, nullptr, target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return true;
}

bool Shell32::GetSpecialFolderPath(HWND owner, char* path, int csidl, bool create) const {
    return getSpecialFolderPath_ && getSpecialFolderPath_(owner, path, csidl, create ? TRUE : FALSE);
}
