#pragma once

#include <windows.h>

// The HTML Help engine, bound on the first help request and kept for the
// rest of the process; a failed load is not retried. Returns the engine's
// result, 0 when it is not available.
INT_PTR CallHtmlHelp(HWND caller, const char* helpFile, UINT command, DWORD_PTR data);
