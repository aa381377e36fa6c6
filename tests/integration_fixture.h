#pragma once

// What the integration cases share: Palm Desktop with its own Date Book
// conduit, and reading what ended up registered and stored.

#include <windows.h>

#include <string>

#include "tests/settings_texts.h"
#include "tests/support/product_state.h"

namespace testsupport {

using settingstexts::kProductCaption;

constexpr char kPalmDateBookLibrary[] = "C:\\Program Files\\Palm\\Datebook3.dll";
constexpr char kBackupDateBook[] = "Software\\Quillon Software\\Orvelle\\Backup\\DateBook";
constexpr char kJanesSettings[] = "Software\\Quillon Software\\Orvelle\\Users\\Jane";

class IntegrationTest : public ProductTest {
protected:
    // Palm's own Date Book conduit, the one the product replaces and gives back.
    void RegisterPalmDateBook();
    // The library registered for the creator, or "(none)".
    std::string RegisteredLibrary(const std::string& creator) const;
    // A string value, or "(no key)" / "(no value)".
    static std::string ReadString(HKEY root, const std::string& path, const char* name);
};

}  // namespace testsupport
