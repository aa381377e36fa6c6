#pragma once

#include <windows.h>

// The system's version as GetVersionExA reports it; false when it cannot.
// The one place that asks: the OS class, the Vista test and the summary's
// Windows line all start from here.
bool QueryWindowsVersion(OSVERSIONINFOA* info);

// Windows NT 6.0 (Vista) or later, decided once when the module is loaded.
bool IsVistaOrLater();

// The same test on explicit inputs: the GetVersion top bit and the major version.
bool IsNtSixOrLater(bool nineXFamily, unsigned majorVersion);
