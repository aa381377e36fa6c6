#pragma once

#include <string>

// Where the desktop calendar Almanor and its data live.

// A value of Almanor's installation key (machine-wide). "Path" alone falls
// back to the per-user key before Windows Vista and is trimmed.
std::string ReadAlmanorInstallValue(const char* name);
// Almanor's folder + "\almanor.exe", or empty when the folder is not set.
std::string GetAlmanorProgramPath();
// The folder the open-file dialog starts in for Almanor's data files.
std::string GetAlmanorDataDir();
