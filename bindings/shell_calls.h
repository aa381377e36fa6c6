#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

// Shell and common-dialog calls, each binding its library for the call.

// ShellExecuteA with no owner, the default verb and SW_SHOWNORMAL; the result
// is not used.
void OpenWithShell(const std::string& target);

// GetOpenFileNameA; on false, error holds CommDlgExtendedError (0 when the
// user cancelled, or when the library could not be had).
bool ShowOpenFileDialog(OPENFILENAMEA* dialog, DWORD* error);
