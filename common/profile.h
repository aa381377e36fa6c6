#pragma once

#include <windows.h>

#include <string>

#include "common/reg_key.h"

// Per-user settings below HKEY_CURRENT_USER\Software\<company>\<product>,
// addressed by a section (a subkey path, parts joined with '\') and a value
// name. Every access creates the keys down to the section; missing values
// read as the caller's default.
class Profile {
public:
    Profile(std::string company, std::string product);

    DWORD GetInt(const char* section, const char* name, DWORD def) const;
    std::string GetString(const char* section, const char* name, const std::string& def) const;
    bool WriteInt(const char* section, const char* name, DWORD value) const;
    bool WriteString(const char* section, const char* name, const std::string& value) const;

    // The section's key, created when missing (read, create-subkey and set-value access).
    RegKey OpenSection(const char* section) const;
    // Deletes the section's key with everything below it.
    bool DeleteSection(const char* section) const;

    std::string RootPath() const;  // "Software\<company>\<product>"

private:
    std::string company_;
    std::string product_;
};
