#pragma once

#include <windows.h>

#include <string>

// Message boxes of the settings library, all captioned "Tidewell for Palm".

// MB_TOPMOST | MB_ICONERROR.
void ShowError(const std::string& text, HWND owner);
// MB_ICONWARNING.
void ShowWarning(const std::string& text, HWND owner);
// The system's text for a Windows error code; empty for 0 and 1; string 12
// with the code when the system has none.
std::string GetErrorText(DWORD code);
// The error's text in an error box, owned by owner or else by the last active
// pop-up of the application's main window.
void ReportError(DWORD code, HWND owner);
