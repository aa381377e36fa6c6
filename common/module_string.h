#pragma once

#include <windows.h>

#include <string>

// A string-table entry of a module; empty when it has none.
std::string LoadModuleString(HMODULE module, UINT id);

// String 57344 of this module, the application title both libraries name
// their per-user profile with.
std::string ApplicationTitle();
