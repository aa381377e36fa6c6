#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "common/module.h"
#include "tests/support/registry_snapshot.h"
#include "tests/settings_texts.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/message_box_driver.h"
#include "tests/support/product_state.h"

// The settings library loaded from the build, with the product installed
// (twpalm.dll in the product folder, both conduits registered) and Palm
// Desktop's folder recorded as "PDPath". Every test's dialog script must run
// without a timeout and leave no dialog open: TearDown checks it.
class SettingsTest : public testsupport::ProductTest {
protected:
    using Action = testsupport::DialogDriver::Action;

    void SetUp() override;
    void TearDown() override;

    int DisplaySettings(HWND parent = nullptr);
    int DisplayUserSettings(int conduit, const char* user, HWND parent = nullptr);

    // Script steps on the user list and on the application list (both carry
    // the user list's caption; each is told apart by a control of its own).
    void OnUserList(Action action);
    void OnAppList(Action action);
    // The user list's Settings button, which opens the application list.
    void OpenAppList();
    // The user list closed by its Close button.
    void CloseUserList();
    // The whole round: `look` sees the user list, Settings opens the
    // application list, whose user goes to *user; both are then closed.
    void ScriptAppListRound(Action look, std::string* user);
    // An action that clicks the control.
    static Action Clicking(int id);

    // Profile values below HKCU\Software\Quillon Software\Orvelle.
    std::string ProfileString(const std::string& section, const char* name);
    bool ProfileDword(const std::string& section, const char* name, DWORD* value);
    // Whether the profile holds the REG_DWORD value `expected` under name.
    ::testing::AssertionResult ProfileDwordIs(const std::string& section, const char* name, DWORD expected);
    void SetProfileDword(const std::string& section, const char* name, DWORD value);
    void SetProfileString(const std::string& section, const char* name, const std::string& value);
    bool ProfileKeyExists(const std::string& section);

    void RegisterBothConduits();
    // An Almanor data file in the product folder, as dataFile_.
    void MakeDataFile();
    std::string dataFile_;

    // Fails unless the product's registry changed since `before` in the
    // entries allowed only (the users' section keys are allowed: reads may
    // create them).
    void ExpectOnlyChanges(const testsupport::RegistrySnapshot& before, std::vector<std::string> allowed,
                           const std::vector<std::string>& users = {"Jane", "Zed"});
    // Snapshot entries that showing the lists and the settings write.
    static constexpr const char* kLastUserEntry = "HKCU\\Orvelle\\Users\\|LUN";
    static constexpr const char* kJaneLastConduitEntry = "HKCU\\Orvelle\\Users\\Jane\\|LUC";

    Module twpalmui_;
    testsupport::MessageBoxDriver boxes_;
    testsupport::DialogDriver dialogs_;

    static constexpr const char* kUserListCaption = settingstexts::kUserListCaption;
    static constexpr const char* kProductCaption = settingstexts::kProductCaption;
};
