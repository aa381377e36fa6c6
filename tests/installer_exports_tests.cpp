// The four exports of twpalm.dll as their callers see them: the missing
// installation folder, the result box (texts, caption, flags, owner), quiet
// calls, which conduit's result is shown, and where "Path" is looked for on
// each Windows generation.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "common/module.h"
#include "common/reg_key.h"
#include "tests/installer_fixture.h"
#include "tests/support/test_paths.h"
#include "tests/support/windows_versions.h"

using namespace installertest;
using namespace testsupport;

namespace {

// Child entry: a quiet install, as the product's installer makes it. A box
// it should not show is closed and fails the child instead of hanging it.
int InstallQuietly(const std::string&) {
    Module twpalm = Module::Load((BinDir() + "\\twpalm.dll").c_str());
    if (!twpalm) return 2;
    auto install = twpalm.Find<ExportFn>("InstallAllConduits");
    if (!install) return 3;
    MessageBoxDriver boxes;
    if (install(nullptr, 1) != 0) return 4;
    return boxes.seen().empty() ? 0 : 5;
}
ChildRegistration installChild("install-quietly", InstallQuietly);

class InstallerExports : public InstallerTest {};

// A named step: an arrangement, or a call of an export.
struct Step {
    const char* name;
    std::function<void()> arrange;
};

}  // namespace

TEST_F(InstallerExports, MissingPathReportsReinstallOnceFromEveryExport) {
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quillon Software");
    SetInstallValue("PDPath", palmDir_);  // the verify functions fail on Path alone
    const std::vector<Step> calls = {
        {"install", [this] { Install(nullptr, 0); }},
        {"uninstall", [this] { Uninstall(nullptr, 0); }},
        {"verify date", [this] { VerifyDate(nullptr, 1); }},
        {"verify task", [this] { VerifyTask(nullptr, 1); }},
    };
    for (const Step& call : calls) {
        SCOPED_TRACE(call.name);
        AnswerWith(IDOK);
        call.arrange();
        ExpectErrorBox(message::kReinstall);
    }
    EXPECT_TRUE(palm_.CallLog().empty()) << "Palm Desktop was asked although the product has no folder";
    ExpectNoConduit("date");
    ExpectNoConduit("todo");
}

TEST_F(InstallerExports, BoxesBelongToTheOwnerWindowOfTheCallAndAreTopmostWithoutOne) {
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quillon Software");
    HWND owner = CreateOwnerWindow();

    AnswerWith(IDOK);
    Install(owner);
    ExpectErrorBox(message::kReinstall, owner);
    // The owner is the one of each call, not the first one seen.
    AnswerWith(IDOK);
    Uninstall(nullptr);
    ExpectErrorBox(message::kReinstall, nullptr);
    AnswerWith(IDOK);
    VerifyTask(owner, 1);
    ExpectErrorBox(message::kReinstall, owner);

    // The question follows the same rule.
    SetInstallValue("Path", productDir_);
    SetInstallValue("PDPath", palmDir_);
    AnswerWith(IDNO);
    VerifyDate(owner, 1);
    ExpectQuestion(message::kDateQuestion, owner);
    AnswerWith(IDNO);
    VerifyDate(nullptr, 1);
    ExpectQuestion(message::kDateQuestion, nullptr);
}

TEST_F(InstallerExports, ConduitManagerCodesAndUnknownCodesShowTheirTexts) {
    std::vector<std::pair<int, std::string>> messages;
    for (int code = -1017; code <= -1000; ++code) messages.emplace_back(code, ResultMessageOf(code));
    for (int code = -1209; code <= -1201; ++code) messages.emplace_back(code, ResultMessageOf(code));
    const std::vector<std::pair<int, std::string>> unknown = {
        {-5, "Unknown error occurred: 0xfffffffb ( -5 )\n"},
        {7, "Unknown error occurred: 0x00000007 ( 7 )\n"},
        {-1018, "Unknown error occurred: 0xfffffc06 ( -1018 )\n"},
        {-1200, "Unknown error occurred: 0xfffffb50 ( -1200 )\n"},
        {-1210, "Unknown error occurred: 0xfffffb46 ( -1210 )\n"},
        {0x7FFFFFFF, "Unknown error occurred: 0x7fffffff ( 2147483647 )\n"},
        {-2147483647 - 1, "Unknown error occurred: 0x80000000 ( -2147483648 )\n"},
    };
    messages.insert(messages.end(), unknown.begin(), unknown.end());
    for (const auto& entry : messages) {
        SCOPED_TRACE(entry.first);
        palm_.Fail("CmInstallCreator", entry.first);
        AnswerWith(IDOK);
        Install();
        ExpectErrorBox(entry.second);
        ExpectNoConduit("date");
    }
}

TEST_F(InstallerExports, WithoutPalmDesktopInstallFindsNoHotSyncAndVerifyAsksToReinstall) {
    // The messages a user meets on a machine without Palm Desktop, which the
    // guide's table of causes names.
    RemoveHotSyncPath();
    AnswerWith(IDOK);
    Install();
    ExpectErrorBox(message::kCmValueNotFound);
    ExpectNoConduit("date");
    EXPECT_FALSE(ReadRawValue(HKEY_LOCAL_MACHINE, InstallKeyPath(), "PDPath").present);
    AnswerWith(IDOK);
    VerifyDate();
    ExpectErrorBox(message::kReinstall);
    Uninstall();
    ExpectNoBox();
}

TEST_F(InstallerExports, DateBookResultIsShownWhenToDoListSucceedsElseToDoListResult) {
    // Install: the Date Book's library is missing, the To Do List registers.
    ASSERT_TRUE(DeleteFileA((productDir_ + "\\twdate.dll").c_str()));
    AnswerWith(IDOK);
    Install();
    ExpectErrorBox(message::kConduitNotFound);
    ExpectNoConduit("date");
    ExpectConduit("todo", OwnConduit("todo", productDir_));

    // Both fail: the To Do List's code is the one shown, once.
    palm_.Fail("CmInstallCreator", -1014);
    AnswerWith(IDOK);
    Install();
    ExpectErrorBox(message::kCmUnableToInstall);

    // Uninstall: the Date Book's saved conduit cannot be registered again,
    // the To Do List has nothing to restore and succeeds.
    ResetProduct();
    RegisterOwnConduits();
    RegKey::Create(HKEY_CURRENT_USER, BackupPath("DateBook").c_str()).WriteString("Conduit", "C:\\Palm\\Date.dll");
    palm_.Fail("CmInstallCreator", -1007);
    AnswerWith(IDOK);
    Uninstall();
    ExpectErrorBox(message::kCmUnableToCreate);
    ExpectNoConduit("date");
    ExpectNoConduit("todo");
}

TEST_F(InstallerExports, QuietCallsShowNothingOnAnyFailure) {
    const std::vector<Step> failures = {
        {"no Path", [this] { DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quillon Software"); }},
        {"no shipped CondMgr.dll", [this] { DeleteFileA((productDir_ + "\\CondMgr.dll").c_str()); }},
        {"CondMgr.dll without CmGetCreatorName",
         [this] { PutVariant("condmgr-without-CmGetCreatorName", "CondMgr.dll", true, true); }},
        {"no HsApi.dll", [this] { DeleteFileA((palmDir_ + "\\HsApi.dll").c_str()); }},
        {"no UserData.dll", [this] { DeleteFileA((palmDir_ + "\\UserData.dll").c_str()); }},
        {"no conduit library", [this] { DeleteFileA((productDir_ + "\\twtask.dll").c_str()); }},
        {"HotSync in progress", [this] { palm_.SetHotSync(true, true); }},
        {"no HotSync path", [this] { RemoveHotSyncPath(); }},
        {"Conduit Manager error", [this] { palm_.Fail("CmRemoveConduitByCreatorID", -1002); }},
    };
    for (const Step& failure : failures) {
        SCOPED_TRACE(failure.name);
        // Installed first where the uninstall needs something to remove.
        ResetProduct();
        RegisterOwnConduits();
        RegKey::Create(HKEY_CURRENT_USER, BackupPath("DateBook").c_str()).WriteString("Conduit", "C:\\Palm\\D.dll");
        failure.arrange();
        Install(nullptr, 1);
        ExpectNoBox();
        RegisterOwnConduits();
        Uninstall(nullptr, 1);
        ExpectNoBox();

        // The same arrangement does fail: with messages it shows one box.
        ResetProduct();
        RegisterOwnConduits();
        failure.arrange();
        AnswerWith(IDOK);
        Install(nullptr, 0);
        EXPECT_EQ(1u, NewBoxes().size());
    }
}

TEST_F(InstallerExports, PathOnlyForTheCurrentUserCountsBeforeVistaOnly) {
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quillon Software");
    SetInstallValue("Path", productDir_, true);

    ChildResult vista = RunChildAs("vista", "install-quietly");
    ASSERT_EQ(0, vista.exitCode) << vista.output;
    ExpectNoConduit("date");
    ExpectNoConduit("todo");
    EXPECT_TRUE(palm_.CallLog().empty()) << "Palm Desktop was asked without a product folder";

    ChildResult xp = RunChildAs("winxp", "install-quietly");
    ASSERT_EQ(0, xp.exitCode) << xp.output;
    ExpectConduit("date", OwnConduit("date", productDir_));
    ExpectConduit("todo", OwnConduit("todo", productDir_));
    // "PDPath" goes only into an existing machine-wide key: none is created.
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, InstallKeyPath()));
    EXPECT_FALSE(ReadRawValue(HKEY_CURRENT_USER, InstallKeyPath(), "PDPath").present);
}

TEST_F(InstallerExports, LoadedLibraryCheckSeesAPalmLibrary) {
    // The check every call and every box relies on must notice a library.
    Module hsapi = Module::Load((palmDir_ + "\\HsApi.dll").c_str());
    ASSERT_TRUE(hsapi);
    EXPECT_EQ("HsApi.dll", LoadedPalmLibraries());
    Module condmgr = Module::Load((productDir_ + "\\CondMgr.dll").c_str());
    EXPECT_EQ("CondMgr.dll HsApi.dll", LoadedPalmLibraries());
    hsapi.Free();
    condmgr.Free();
    EXPECT_EQ("", LoadedPalmLibraries());
}

// No memory at all from the library's first allocation on: the export still
// returns 0, with the Conduit Manager's out-of-memory text shown unless the
// call is silent, and Palm Desktop is not asked anything.
struct OutOfMemoryCase {
    const char* exportName;
    int flag;  // quiet for the installer functions, interactive for the verify ones
    bool shown;
};

void PrintTo(const OutOfMemoryCase& c, std::ostream* out) { *out << c.exportName << "(" << c.flag << ")"; }

class InstallerOutOfMemory : public InstallerTest, public ::testing::WithParamInterface<OutOfMemoryCase> {};

TEST_P(InstallerOutOfMemory, ReportsOutOfMemoryAndReturns) {
    const OutOfMemoryCase& c = GetParam();
    SetInstallValue("PDPath", palmDir_);
    if (c.shown) AnswerWith(IDOK);
    {
        AllocationRefusal refusal(twpalm(), 0);
        ASSERT_TRUE(refusal.applied());
        CallExport(c.exportName, nullptr, c.flag);
        EXPECT_LT(0, AllocationRefusal::Refused());
    }
    if (c.shown) {
        ExpectErrorBox(message::kCmOutOfMemory);
    } else {
        ExpectNoBox();
    }
    EXPECT_TRUE(palm_.CallLog().empty()) << "Palm Desktop was asked without memory";
    ExpectNoConduit("date");
    ExpectNoConduit("todo");
}

INSTANTIATE_TEST_SUITE_P(EveryAllocationRefused, InstallerOutOfMemory,
                         ::testing::Values(OutOfMemoryCase{"InstallAllConduits", 0, true},
                                           OutOfMemoryCase{"InstallAllConduits", 1, false},
                                           OutOfMemoryCase{"UninstallAllConduits", 0, true},
                                           OutOfMemoryCase{"VerifyConduitDate", 1, true},
                                           OutOfMemoryCase{"VerifyConduitTask", 0, false}));
