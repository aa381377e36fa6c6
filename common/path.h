#pragma once

#include <string>

// Paths are ANSI text joined with backslashes.
namespace path {

// folder + "\" + name, with no second backslash when the folder already ends
// with one. An empty folder gives "\name": a joined path never becomes a bare
// name that LoadLibrary or the file functions would look for elsewhere.
std::string Join(const std::string& folder, const std::string& name);

}  // namespace path
