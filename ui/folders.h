#pragma once

#include <windows.h>

#include <string>

// Where the desktop calendar Almanor and its data live, special folders,
// and file tests.

// A value of Almanor's installation key (machine-wide). "Path" alone falls
// back to the per-user key before Windows Vista and is trimmed.
std::string ReadAlmanorInstallValue(const char* name);
// Almanor's folder + "\almanor.exe", or empty when the folder is not set.
std::string GetAlmanorProgramPath();
// The folder the open-file dialog starts in for Almanor's data files.
std::string GetAlmanorDataDir();
// A shell special folder (CSIDL) into a MAX_PATH buffer.
bool GetSpecialFolder(HWND owner, char* path, int csidl, bool create);

// The first match of the path exists and is not a folder. Paths of MAX_PATH
// characters or more are never found.
bool FileExists(const std::string& path);
// The path (one trailing backslash ignored) names an existing folder; not
// when it is MAX_PATH characters or longer.
bool DirectoryExists(const std::string& path);
