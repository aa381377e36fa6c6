#pragma once

#include <string>

// Whether the files and folders the user names exist. Paths of MAX_PATH
// characters or more name nothing: the conduits and the ANSI file functions
// cannot use them, and a shortened copy would name another file.

// Shorter than MAX_PATH: a path the ANSI file functions and dialogs can take.
bool FitsMaxPath(const std::string& path);
// The first match of the path exists and is not a folder.
bool FileExists(const std::string& path);
// The path (one trailing backslash ignored) names an existing folder.
bool DirectoryExists(const std::string& path);
