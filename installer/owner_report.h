#pragma once

#include <windows.h>

// The library-wide owner window of the current call: every export stores its
// first argument here before anything else, and every box of the call is
// owned by it. A null owner makes the boxes topmost.
void SetOwnerWindow(HWND owner);
HWND OwnerWindow();

// Shows the message of a non-zero code (MB_OK | MB_ICONEXCLAMATION) unless
// quiet is non-zero.
void ReportResult(int quiet, int code) noexcept;

// Asks a Yes/No question with the product caption; true on Yes.
bool AskYesNo(const char* question);
