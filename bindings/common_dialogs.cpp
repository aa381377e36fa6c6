#include "bindings/common_dialogs.h"

CommonDialogs::CommonDialogs()
    : library_(Module::Load("comdlg32.dll")),
      getOpenFileName_(library_.Find<GetOpenFileNameFn>("GetOpenFileNameA")),
      extendedError_(library_.Find<CommDlgExtendedErrorFn>("CommDlgExtendedError")) {}

bool CommonDialogs::ShowOpenFile(OPENFILENAMEA* dialog, DWORD* error) const {
    *error = 0;
    if (!getOpenFileName_ || !extendedError_) return false;
    if (getOpenFileName_(dialog)) return true;
    *error = extendedError_();
    return false;
}
