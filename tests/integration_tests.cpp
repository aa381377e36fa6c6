// The C example of the integration guide, compiled against the public
// headers and import libraries (integration_link.sh), run the way an
// installer runs its conduit step: as a program of its own in the
// installation folder, beside twpalm.dll and twpalmui.dll, against the
// stand-in Palm Desktop. Its message boxes are read and answered from here.

#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "common/reg_key.h"
#include "tests/support/palm_desktop.h"
#include "tests/support/product_state.h"
#include "tests/support/test_paths.h"

using namespace testsupport;

namespace {

constexpr char kCaption[] = "Tidewell for Palm";
constexpr char kPalmDateBookLibrary[] = "C:\\Program Files\\Palm\\Datebook3.dll";
constexpr char kBackupDateBook[] = "Software\\Quillon Software\\Orvelle\\Backup\\DateBook";
constexpr char kUserSettings[] = "Software\\Quillon Software\\Orvelle\\Users\\Jane";
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

std::string WindowText(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM param) noexcept {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

// The visible top-level window of the process, if it shows one.
HWND ShownWindowOf(DWORD processId) {
    WindowSearch search = {processId, nullptr};
    EnumWindows(&FindProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class ConduitStep : public ProductTest {
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
        StepResult result;
        std::string commandLine = "\"" + productDir_ + "\\conduit_step.exe\" " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, productDir_.c_str(),
                            &startup, &process)) {
            ADD_FAILURE() << "cannot start " << commandLine << ": error " << GetLastError();
            return result;
        }
        const DWORD start = GetTickCount();
        HWND answered = nullptr;
        while (WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT) {
            if (GetTickCount() - start > kStepTimeoutMs) {
                TerminateProcess(process.hProcess, 99);
                ADD_FAILURE() << commandLine << " did not finish";
                break;
            }
            HWND window = ShownWindowOf(process.dwProcessId);
            if (!window || window == answered || WindowText(window).empty()) continue;
            answered = window;
            ShownWindow shown;
            shown.caption = WindowText(window);
            char text[1024] = {};
            GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
            shown.text = text;
            shown.owned = GetWindow(window, GW_OWNER) != nullptr;
            result.windows.push_back(shown);
            const int answer = answers.empty() ? IDCANCEL : answers.front();
            if (!answers.empty()) answers.pop_front();
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        }
        GetExitCodeProcess(process.hProcess, &result.exitCode);
        result.finished = result.exitCode != STILL_ACTIVE && result.exitCode != 99;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        EXPECT_TRUE(answers.empty()) << commandLine << " showed fewer windows than expected";
        return result;
    }

    void RegisterPalmDateBook() {
        StandInConduit palmDateBook;
        palmDateBook.strings = {{"Name", kPalmDateBookLibrary}, {"Directory", "datebook"}, {"Title", "Date Book"}};
        palmDateBook.numbers = {{"Priority", 5}, {"Integrate", 7}};
        palm_.RegisterConduit("date", palmDateBook);
    }

    std::string RegisteredLibrary(const std::string& creator) const {
        if (!palm_.HasConduit(creator)) return "(none)";
        return palm_.Conduit(creator).strings["Name"];
    }

    static std::string ReadString(HKEY root, const char* path, const char* name) {
        std::string value;
        RegKey key = RegKey::Open(root, path);
        if (!key) return "(no key)";
        char data[MAX_PATH] = {};
        DWORD size = sizeof data - 1;
        if (RegQueryValueExA(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) !=
            ERROR_SUCCESS) {
            return "(no value)";
        }
        return data;
    }

    static void ExpectMessageBox(const ShownWindow& box, const std::string& text) {
        EXPECT_EQ(kCaption, box.caption);
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
    EXPECT_EQ(palmDir_, ReadString(HKEY_LOCAL_MACHINE, InstallKeyPath().c_str(), "PDPath"));
}

TEST_F(ConduitStep, SilentUninstallPutsPalmsDateBookBackAndKeepsTheUsersKeys) {
    RegisterPalmDateBook();
    ASSERT_TRUE(Run("install /S").finished);
    RegKey::Create(HKEY_CURRENT_USER, kUserSettings).WriteString("Path", "C:\\Almanor\\jane.al0");

    StepResult uninstall = Run("uninstall /S");

    ASSERT_TRUE(uninstall.finished);
    EXPECT_EQ(0u, uninstall.exitCode);
    EXPECT_TRUE(uninstall.windows.empty());
    EXPECT_EQ(kPalmDateBookLibrary, RegisteredLibrary("date"));
    EXPECT_EQ(5u, palm_.Conduit("date").numbers["Priority"]);
    EXPECT_EQ("(none)", RegisteredLibrary("todo"));
    EXPECT_EQ(kPalmDateBookLibrary, ReadString(HKEY_CURRENT_USER, kBackupDateBook, "Conduit"));
    EXPECT_EQ("C:\\Almanor\\jane.al0", ReadString(HKEY_CURRENT_USER, kUserSettings, "Path"));
}

TEST_F(ConduitStep, SilentInstallDuringAHotSyncChangesNothingAndShowsNothing) {
    RegisterPalmDateBook();
    palm_.SetHotSync(true, true);

    StepResult install = Run("install /S");

    ASSERT_TRUE(install.finished);
    EXPECT_EQ(0u, install.exitCode);
    EXPECT_TRUE(install.windows.empty());
    EXPECT_EQ(kPalmDateBookLibrary, RegisteredLibrary("date"));
    EXPECT_EQ("(none)", RegisteredLibrary("todo"));
    EXPECT_TRUE(palm_.Running());
}

// An interactive step that fails shows one message box, and the program
// still ends with 0 once the user has read it.
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
    EXPECT_EQ(0u, install.exitCode);
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
    EXPECT_EQ(0u, verify.exitCode);
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

    StepResult settings = Run("settings", {IDCANCEL});

    ASSERT_TRUE(settings.finished);
    EXPECT_EQ(0u, settings.exitCode);
    ASSERT_EQ(1u, settings.windows.size());
    EXPECT_EQ("Tidewell for Palm Settings", settings.windows[0].caption);
    EXPECT_EQ("", settings.windows[0].text);
}

}  // namespace
