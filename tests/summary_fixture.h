#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "common/module.h"
#include "tests/report_same_text.h"
#include "tests/settings_fixture.h"

// The settings library with the product installed, plus what the Settings
// Summary reads and mails through: Almanor's installation, environment
// variables, the MAPI stand-in and the summary file of this thread.
class SummaryTest : public SettingsTest {
protected:
    void SetUp() override;
    // Also fails the test for every step of the dialog script that timed out
    // and every dialog left open.
    void TearDown() override;

    // The file a summary of this thread is written to.
    static std::string SummaryPath();
    static std::string SummaryPathIn(const std::string& folder);

    // Almanor "installed" in a folder of its own, with program as almanor.exe.
    void InstallAlmanor(const std::string& program);

    // Sets a variable of this process until the test ends.
    void SetEnvironment(const char* name, const std::string& value);

    // MAPI32.DLL as LoadLibrary("MAPI32.DLL") finds it in this process: the
    // stand-in of a folder below bin\standins, or none at all.
    void UseMapiStandIn(const std::string& variant = "mapi");
    void MakeMapiMissing();
    void SetMapiResult(DWORD result);
    // The stand-in's MAPISendMail faults this way once it has recorded the
    // mail (tests/foreign_fault_cases.h).
    void SetMapiFault(DWORD fault);
    DWORD MapiCalls() const { return MapiCount("Calls"); }
    // A count the stand-in keeps: "Calls", its frame's "Searched", "Unwound".
    DWORD MapiCount(const char* name) const;
    // The last mail the stand-in recorded; "<missing>" / ~0 when absent.
    std::string MailText(const char* name) const;
    DWORD MailDword(const char* name) const;
    ULONGLONG MailQword(const char* name) const;

    // DisplaySettings with the system command posted to the user list, then
    // the steps on the summary dialog, then the user list closed.
    void RunSummary(const std::vector<testsupport::DialogDriver::Action>& onSummary, WPARAM command = 16);

    HWND userList_ = nullptr;
    std::string almanorDir_;

    static constexpr const char* kSummaryCaption = "Tidewell for Palm - Settings Summary";
    static constexpr const char* kSupport = "support@tidewell.example.com";

private:
    void SetMapiOverride(const char* order);

    Module mapi_;
    struct SavedVariable {
        std::string name;
        bool existed;
        std::string value;
    };
    std::vector<SavedVariable> savedEnvironment_;
};
