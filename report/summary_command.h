#pragma once

#include <windows.h>

// The user list's "S&ummary..." command: builds the Settings Summary and
// shows it over the user list. Nothing is shown when it cannot be built.
void RunSettingsSummary(HWND userList);
