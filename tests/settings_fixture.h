#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "common/module.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/message_box_driver.h"
#include "tests/support/product_state.h"

// The settings library loaded from the build, with the product installed
// (twpalm.dll in the product folder, both conduits registered) and Palm
// Desktop's folder recorded as "PDPath".
class SettingsTest : public testsupport::ProductTest {
protected:
    void SetUp() override;
    void TearDown() override;

    int DisplaySettings(HWND parent = nullptr);
    int DisplayUserSettings(int conduit, const char* user, HWND parent = nullptr);

    // Profile values below HKCU\Software\Quillon Software\Orvelle.
    std::string ProfileString(const std::string& section, const char* name);
    bool ProfileDword(const std::string& section, const char* name, DWORD* value);
    void SetProfileDword(const std::string& section, const char* name, DWORD value);
    void SetProfileString(const std::string& section, const char* name, const std::string& value);
    bool ProfileKeyExists(const std::string& section);

    void RegisterBothConduits();

    Module twpalmui_;
    testsupport::MessageBoxDriver boxes_;
    testsupport::DialogDriver dialogs_;

    static constexpr const char* kUserListCaption = "Tidewell for Palm Settings";
    static constexpr const char* kProductCaption = "Tidewell for Palm";
};
