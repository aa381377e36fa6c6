#include "bindings/shell_calls.h"

#include "bindings/common_dialogs.h"
#include "bindings/shell32.h"

void OpenWithShell(const std::string& target) { Shell32().Execute(target); }

bool ShowOpenFileDialog(OPENFILENAMEA* dialog, DWORD* error) { return CommonDialogs().ShowOpenFile(dialog, error); }
