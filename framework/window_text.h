#pragma once

#include <windows.h>

#include <string>

// The window's (or control's) text; empty for no window.
std::string WindowText(HWND window);
