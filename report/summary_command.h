#pragma once

#include <windows.h>

// The user list's "S&ummary..." command: builds the Settings Summary and
// shows it over the user list. Nothing is shown when it cannot be built.
// Only a failed allocation leaves as an exception: the caller's message
// handler is the boundary that absorbs it.
void RunSettingsSummary(HWND userList);
