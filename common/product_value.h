#pragma once

#include <string>

// Registry path of one of the company's applications' keys,
// "SOFTWARE\Quillon Software\<application>\<section>".
std::string CompanyKeyPath(const char* application, const char* section);

// Registry path of the product's machine-wide installation key,
// "SOFTWARE\Quillon Software\Orvelle\Install".
std::string ProductInstallKeyPath();

// A value of an installation key under HKEY_LOCAL_MACHINE; before Windows
// Vista an empty result falls back to the same key under HKEY_CURRENT_USER.
// The value's type is ignored; missing reads as empty.
std::string ReadInstallValue(const std::string& keyPath, const char* name);

// A value of the product's installation key, read as ReadInstallValue does.
std::string ReadProductValue(const char* name);
