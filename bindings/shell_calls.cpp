#include "bindings/shell_calls.h"

#include "common/module.h"

namespace {
using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
using GetOpenFileNameFn = BOOL(WINAPI*)(LPOPENFILENAMEA);
using CommDlgExtendedErrorFn = DWORD(WINAPI*)();
}  // namespace

void OpenWithShell(const std::string& target) {
    Module shell = Module::Load("shell32.dll");
    auto shellExecute = shell.Find<ShellExecuteFn>("ShellExecuteA");
    if (shellExecute) shellExecute(nullptr, nullptr, target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool ShowOpenFileDialog(OPENFILENAMEA* dialog, DWORD* error) {
    *error = 0;
    Module commonDialogs = Module::Load("comdlg32.dll");
    auto getOpenFileName = commonDialogs.Find<GetOpenFileNameFn>("GetOpenFileNameA");
    auto extendedError = commonDialogs.Find<CommDlgExtendedErrorFn>("CommDlgExtendedError");
    if (!getOpenFileName || !extendedError) return false;
    if (getOpenFileName(dialog)) return true;
    *error = extendedError();
    return false;
}
