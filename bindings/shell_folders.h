#pragma once

#include <windows.h>

// A shell special folder (CSIDL) into a MAX_PATH buffer: SHGetSpecialFolderPathA
// of shell32.dll after NT 4.0, SHGetFolderPathA of shfolder.dll before, each
// library bound for the call.
bool GetSpecialFolder(HWND owner, char* path, int csidl, bool create);
