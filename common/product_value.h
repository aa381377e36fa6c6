#pragma once

#include <string>

// Registry path of the product's machine-wide installation key,
// "SOFTWARE\Quillon Software\Orvelle\Install".
std::string ProductInstallKeyPath();

// A value of the installation key under HKEY_LOCAL_MACHINE; before Windows
// Vista an empty result falls back to the same key under HKEY_CURRENT_USER.
// The value's type is ignored; missing reads as empty.
std::string ReadProductValue(const char* name);
