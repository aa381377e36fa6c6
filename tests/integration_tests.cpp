// The C example of the integration guide, compiled against the public
// headers and import libraries (integration_link.sh), run the way an
// installer runs its conduit step: as a program of its own in the
// installation folder, beside twpalm.dll and twpalmui.dll, against the
// stand-in Palm Desktop. Its message boxes are read and answered from here.
// The guide's second example, a host that loads the libraries from "Path",
// runs the same way from a folder of its own.

#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/reg_key.h"
#include "tests/integration_fixture.h"
#include "tests/support/child_process.h"
#include "tests/support/message_box_driver.h"
#include "tests/support/palm_desktop.h"
#include "tests/support/product_state.h"
#include "tests/support/test_paths.h"

using namespace testsupport;

namespace {

constexpr DWORD kStepTimeoutMs = 60000;

// A top-level window the program showed: its caption, the message-box text
// (empty for a dialog) and whether a window owns it.
struct ShownWindow {
    std::string caption;
    std::string text;
    bool owned = false;
};

struct StepResult {
    bool finished = false;
    DWORD exitCode = 0;
    std::vector<ShownWindow> windows;
};

class ConduitStep : public IntegrationTest {
protected:
    void SetUp() override {
        ProductTest::SetUp();
        // The installation folder as the installer leaves it.
        for (const char* file : {"twpalm.dll", "twpalmui.dll"}) {
            ASSERT_TRUE(CopyFileTo(BinDir() + "\\" + file, productDir_)) << file;
        }
        ASSERT_TRUE(CopyFileTo(BinDir() + "\\integration\\conduit_step.exe", productDir_))
            << "the example was not built: integration_link_example runs first";
    }

    // Runs the program with arguments; every window it shows is recorded and
    // answered with the next of answers (a command id), or closed when none
    // is left, so that a step that should not ask fails instead of hanging.
    StepResult Run(const std::string& arguments, std::deque<int> answers = {}) {
        return RunProgram(productDir_ + "\\conduit_step.exe", productDir_, arguments, std::move(answers));
    }

    // The same for any program, started in the folder given.
    StepResult RunProgram(const std::string& program, const std::string& folder, const std::string& arguments,
                          std::deque<int> answers) {
        StepResult result;
        const std::string commandLine = "\"" + program + "\" " + arguments;
        ChildProcess step(commandLine, folder);
        if (!step.startError().empty()) {
            ADD_FAILURE() << step.startError();
            return result;
        }
        std::set<HWND> answered;
        result.finished = step.WaitVisiting(
            [&](HWND window) {
                if (answered.count(window) || WindowText(window).empty()) return;
                answered.insert(window);
                result.windows.push_back({WindowText(window), MessageBoxText(window),
                                          GetWindow(window, GW_OWNER) != nullptr});
                const int answer = answers.empty() ? IDCANCEL : answers.front();
                if (!answers.empty()) answers.pop_front();
                PostMessageA(window, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
            },
            kStepTimeoutMs);
        EXPECT_TRUE(result.finished) << commandLine << " did not finish";
        result.exitCode = step.exitCode();
        EXPECT_TRUE(answers.empty()) << commandLine << " showed fewer windows than expected";
        return result;
    }

    // A program that ended with 0 after showing the user list alone.
    static void ExpectUserListOnly(const StepResult& settings) {
        ASSERT_TRUE(settings.finished);
        EXPECT_EQ(0u, settings.exitCode);
        ASSERT_EQ(1u, settings.windows.size());
        EXPECT_EQ(settingstexts::kUserListCaption, settings.windows[0].caption);
        EXPECT_EQ("", settings.windows[0].text);
    }

    static void ExpectMessageBox(const ShownWindow& box, const std::string& text) {
        EXPECT_EQ(kProductCaption, box.caption);
        EXPECT_EQ(text, box.text);
        // The program passes no owner window (the exact flags of such a box
        // are pinned where the library is driven in-process).
        EXPECT_FALSE(box.owned) << text;
    }
};

TEST_F(ConduitStep, SilentInstallReplacesPalmsDateBookAndSavesIt) {
    RegisterPalmDateBook();

    StepResult install = Run("install /S");

    ASSERT_TRUE(install.finished);
    EXPECT_EQ(0u, install.exitCode);
    EXPECT_TRUE(install.windows.empty());
    EXPECT_EQ(productDir_ + "\\twdate.dll", RegisteredLibrary("date"));
    EXPECT_EQ(productDir_ + "\\twtask.dll", RegisteredLibrary("todo"));
    EXPECT_EQ(kPalmDateBookLibrary, ReadString(HKEY_CURRENT_USER, kBackupDateBook, "Conduit"));
    EXPECT_EQ(palmDir_, ReadString(HKEY_LOCAL_MACHINE, InstallKeyPath(), "PDPath"));
}

TEST_F(ConduitStep, SilentUninstallPutsPalmsDateBookBackAndKeepsTheUsersKeys) {
    RegisterPalmDateBook();
    ASSERT_TRUE(Run("install /S").finished);
    RegKey::Create(HKEY_CURRENT_USER, kJanesSettings).WriteString("Path", "C:\\Almanor\\jane.al0");

    StepResult uninstall = Run("uninstall /S");

    ASSERT_TRUE(uninstall.finished);
    EXPECT_EQ(0u, uninstall.exitCode);
    EXPECT_TRUE(uninstall.windows.empty());
    EXPECT_EQ(kPalmDateBookLibrary, RegisteredLibrary("date"));
    EXPECT_EQ(5u, palm_.Conduit("date").numbers["Priority"]);
    EXPECT_EQ("(none)", RegisteredLibrary("todo"));
    EXPECT_EQ(kPalmDateBookLibrary, ReadString(HKEY_CURRENT_USER, kBackupDateBook, "Conduit"));
    EXPECT_EQ("C:\\Almanor\\jane.al0", ReadString(HKEY_CURRENT_USER, kJanesSettings, "Path"));
}

TEST_F(ConduitStep, SilentStepsDuringAHotSyncChangeNothingAndEndWith3) {
    RegisterPalmDateBook();
    palm_.SetHotSync(true, true);

    StepResult install = Run("install /S");

    ASSERT_TRUE(install.finished);
    EXPECT_EQ(3u, install.exitCode) << "the program learns that nothing was registered";
    EXPECT_TRUE(install.windows.empty());
    EXPECT_EQ(kPalmDateBookLibrary, RegisteredLibrary("date"));
    EXPECT_EQ("(none)", RegisteredLibrary("todo"));
    EXPECT_TRUE(palm_.Running());

    // An uninstall during a HotSync leaves our conduits: the program says so.
    palm_.SetHotSync(false);
    ASSERT_EQ(0u, Run("install /S").exitCode);
    palm_.SetHotSync(true, true);
    StepResult uninstall = Run("uninstall /S");
    EXPECT_EQ(3u, uninstall.exitCode);
    EXPECT_EQ(productDir_ + "\\twdate.dll", RegisteredLibrary("date"));
}

// An interactive step that fails shows one message box, and the program
// ends with 3 once the user has read it.
struct FailedInstall {
    const char* name;
    void (*arrange)(PalmDesktop& palm, const std::string& productDir);
    const char* message;
};

class ConduitStepFailure : public ConduitStep, public ::testing::WithParamInterface<FailedInstall> {};

TEST_P(ConduitStepFailure, InteractiveInstallShowsTheMessageOnce) {
    GetParam().arrange(palm_, productDir_);

    StepResult install = Run("install", {IDOK});

    ASSERT_TRUE(install.finished);
    EXPECT_EQ(3u, install.exitCode);
    ASSERT_EQ(1u, install.windows.size());
    ExpectMessageBox(install.windows[0], GetParam().message);
    EXPECT_EQ("(none)", RegisteredLibrary("todo"));
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, ConduitStepFailure,
    ::testing::Values(
        FailedInstall{"HotSyncRunning", [](PalmDesktop& palm, const std::string&) {
                          palm.SetHotSync(true, true);
                      },
                      "Error: HotSync in progress!\n"},
        FailedInstall{"NoInstallationPath", [](PalmDesktop&, const std::string&) {
                          DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quillon Software");
                      },
                      "Error: Reinstall Tidewell for Palm! [2]\n"},
        FailedInstall{"NoConduitManagerShipped", [](PalmDesktop&, const std::string& productDir) {
                          DeleteFileA((productDir + "\\CondMgr.dll").c_str());
                      },
                      "Error: CondMgr.dll not included with installer!\n"}),
    [](const ::testing::TestParamInfo<FailedInstall>& info) { return std::string(info.param.name); });

TEST_F(ConduitStep, InteractiveVerifyAsksForEachMissingConduit) {
    SetInstallValue("PDPath", palmDir_);

    StepResult verify = Run("verify", {IDYES, IDNO});

    ASSERT_TRUE(verify.finished);
    EXPECT_EQ(3u, verify.exitCode) << "the To Do List stays unregistered";
    ASSERT_EQ(2u, verify.windows.size());
    ExpectMessageBox(verify.windows[0],
                     "Do you want to synchronize Palm Date Book with Almanor?\n\n"
                     "Click Yes to install synchronization module for Palm Date Book.");
    ExpectMessageBox(verify.windows[1],
                     "Do you want to synchronize Palm To Do List with Almanor?\n\n"
                     "Click Yes to install synchronization module for Palm To Do List.");
    EXPECT_EQ(productDir_ + "\\twdate.dll", RegisteredLibrary("date"));
    EXPECT_EQ("(none)", RegisteredLibrary("todo"));
}

TEST_F(ConduitStep, SettingsOpenTheUserListFromTheLinkedLibrary) {
    ASSERT_TRUE(Run("install /S").finished);

    ExpectUserListOnly(Run("settings", {IDCANCEL}));
}

// The guide's second example: a host application that loads both libraries
// from "Path" through the headers' pointer types, run from a folder of its
// own, where no import library would find the DLLs.
class HostFromPath : public ConduitStep {
protected:
    void SetUp() override {
        ConduitStep::SetUp();
        hostDir_ = MakeScratchDir("host");
        ASSERT_TRUE(CopyFileTo(BinDir() + "\\integration\\settings_from_path.exe", hostDir_))
            << "the example was not built: integration_link_example runs first";
    }
    void TearDown() override {
        RemoveTree(hostDir_);
        ConduitStep::TearDown();
    }

    StepResult RunHost(const std::string& arguments, std::deque<int> answers = {}) {
        return RunProgram(hostDir_ + "\\settings_from_path.exe", hostDir_, arguments, std::move(answers));
    }

    std::string hostDir_;
};

TEST_F(HostFromPath, OpensTheUserListOfTheInstalledLibrary) {
    ASSERT_TRUE(Run("install /S").finished);

    ExpectUserListOnly(RunHost("", {IDCANCEL}));
}

TEST_F(HostFromPath, VerifiesBothConduitsThroughTheInstalledLibrary) {
    SetInstallValue("PDPath", palmDir_);

    StepResult verify = RunHost("verify", {IDNO, IDYES});

    ASSERT_TRUE(verify.finished);
    EXPECT_EQ(0u, verify.exitCode);
    ASSERT_EQ(2u, verify.windows.size());
    ExpectMessageBox(verify.windows[0],
                     "Do you want to synchronize Palm Date Book with Almanor?\n\n"
                     "Click Yes to install synchronization module for Palm Date Book.");
    ExpectMessageBox(verify.windows[1],
                     "Do you want to synchronize Palm To Do List with Almanor?\n\n"
                     "Click Yes to install synchronization module for Palm To Do List.");
    EXPECT_EQ("(none)", RegisteredLibrary("date"));
    EXPECT_EQ(productDir_ + "\\twtask.dll", RegisteredLibrary("todo"));
}

TEST_F(HostFromPath, WithoutPathEndsWithThreeAndShowsNothing) {
    SetInstallValue("Path", "");

    StepResult settings = RunHost("");

    ASSERT_TRUE(settings.finished);
    EXPECT_EQ(3u, settings.exitCode);
    EXPECT_TRUE(settings.windows.empty());
}

TEST_F(HostFromPath, WithoutTheSettingsLibraryEndsWithFourAndShowsNothing) {
    ASSERT_TRUE(DeleteFileA((productDir_ + "\\twpalmui.dll").c_str()));

    StepResult settings = RunHost("");

    ASSERT_TRUE(settings.finished);
    EXPECT_EQ(4u, settings.exitCode);
    EXPECT_TRUE(settings.windows.empty());
}

}  // namespace
