// The product's installer (the 64-bit one the x86_64 build makes) run as its
// users run it: silently from a script, with its exit code, or page by page
// with the product's message boxes read and answered from outside, against
// the stand-in Palm Desktop.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/reg_key.h"
#include "common/unique_handle.h"
#include "tests/integration_fixture.h"
#include "tests/support/child_process.h"
#include "tests/support/code_page_text.h"
#include "tests/support/message_box_driver.h"
#include "tests/support/registry.h"
#include "tests/support/test_paths.h"
#include "tw_version.h"

using namespace testsupport;

namespace {

// Well within the test case's own time limit, so that a hung installer is
// ended here and cannot change the registry under the next case.
constexpr DWORD kSetupTimeoutMs = 45000;
// The installers' documented exit code: files in place (or removed), but
// Palm Desktop's registrations are not what was asked for.
constexpr DWORD kConduitsNotDone = 3;
// The uninstaller's: its folder is not the installation in "Path", so it
// removed only its own files; and: a file stays until Windows restarts.
constexpr DWORD kOtherInstallation = 4;
constexpr DWORD kRestartNeeded = 5;
constexpr char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tidewell for Palm";
const std::vector<std::string> kInstalledFiles = {"CondMgr.dll", "twdate.dll",   "twpalm.chm",   "twpalm.dll",
                                                  "twpalmui.dll", "twtask.dll", "uninstall.exe"};

// A message box as the installer's user saw it.
struct SeenBox {
    std::string caption;
    std::string text;
    HWND owner;
    UINT buttons;
    std::wstring wideText;  // the text as the box holds it, in UTF-16
};

std::wstring WideText(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

std::wstring Widen(const std::string& text) {
    const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(size > 0 ? static_cast<size_t>(size) : 1, L'\0');
    if (size > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], size);
    wide.resize(wide.size() - 1);
    return wide;
}

struct InteractiveRun {
    bool finished = false;
    DWORD exitCode = 0;
    HWND setupWindow = nullptr;
    std::vector<SeenBox> boxes;
    std::vector<std::string> pageTexts;    // every text of every page shown
    std::vector<std::string> headerTexts;  // the line under each page's title
};

// A page the test handles itself: true when it did (or waits), so that the
// default button is not clicked.
using PageStep = std::function<bool(HWND window, HWND page)>;

// The header's line under the title of the installer's pages.
constexpr int kHeaderSubtext = 1038;
// The folder page's text at its top and its folder box.
constexpr int kPageText = 1006;
constexpr int kFolderBox = 1019;

BOOL CALLBACK AddChildText(HWND child, LPARAM param) noexcept {
    const std::string text = WindowText(child);
    if (!text.empty()) reinterpret_cast<std::vector<std::string>*>(param)->push_back(text);
    return TRUE;
}

class Installer : public IntegrationTest {
protected:
    void SetUp() override {
        installOnSetUp_ = false;
        IntegrationTest::SetUp();
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
        // A folder that does not exist yet and has spaces in its name; in a
        // code-page run (TW_CODE_PAGE) it ends in characters of that code
        // page, where it has such, whose second byte is the backslash.
        installDir_ = productDir_ + "\\Tidewell for Palm";
        if (std::getenv("TW_CODE_PAGE")) installDir_ += " " + NativeChars();
        setup_ = BinDir() + "\\..\\package\\" TW_SETUP_NAME;
        ASSERT_TRUE(PathExists(setup_)) << setup_;
    }

    void TearDown() override {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
        IntegrationTest::TearDown();
    }

    void InstallPalmDesktop() {
        palm_.InstallTo(palmDir_);
        palm_.SetHotSync(false);
        RegisterPalmDateBook();
    }

    // Runs a command that must show nothing; its exit code.
    template <class Text>
    DWORD RunSilently(const Text& commandLine) {
        ChildProcess process(commandLine, BinDir());
        EXPECT_EQ("", process.startError());
        std::set<HWND> shown;
        const bool finished = process.WaitVisiting(
            [&](HWND window) {
                if (!shown.insert(window).second) return;
                ADD_FAILURE() << commandLine << " showed \"" << WindowText(window) << "\" " << MessageBoxText(window);
                PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            },
            kSetupTimeoutMs);
        EXPECT_TRUE(finished) << commandLine << " did not finish";
        return process.exitCode();
    }

    DWORD InstallSilently() { return InstallSilently(installDir_); }
    DWORD InstallSilently(const std::string& folder) { return RunSilently("\"" + setup_ + "\" /S /D=" + folder); }

    // As the uninstaller runs itself when started from Add/Remove Programs:
    // from a copy outside the folder it empties. Started so, it is the
    // process that works, and its exit code tells the outcome.
    DWORD UninstallSilently() { return UninstallSilently(installDir_); }
    DWORD UninstallSilently(const std::string& folder) {
        const std::string copyDir = MakeScratchDir("uninstaller");
        EXPECT_TRUE(CopyFileTo(folder + "\\uninstall.exe", copyDir));
        const DWORD exitCode = RunSilently("\"" + copyDir + "\\uninstall.exe\" /S _?=" + folder);
        RemoveTree(copyDir);
        return exitCode;
    }
    InteractiveRun UninstallPageByPage(const std::string& folder) {
        const std::string copyDir = MakeScratchDir("uninstaller");
        EXPECT_TRUE(CopyFileTo(folder + "\\uninstall.exe", copyDir));
        InteractiveRun run = InstallPageByPage("\"" + copyDir + "\\uninstall.exe\" _?=" + folder);
        RemoveTree(copyDir);
        return run;
    }

    // Clicks the default button of each page as it comes (unless step
    // handles the page) and answers every message box with OK.
    InteractiveRun InstallPageByPage() { return InstallPageByPage("\"" + setup_ + "\" /D=" + installDir_); }
    template <class Text>
    InteractiveRun InstallPageByPage(const Text& commandLine, const PageStep& step = PageStep()) {
        InteractiveRun run;
        ChildProcess process(commandLine, BinDir());
        EXPECT_EQ("", process.startError());
        std::set<HWND> answered;
        std::set<std::pair<HWND, std::string>> clicked;  // a page's window may be reused
        run.finished = process.WaitVisiting(
            [&](HWND window) {
                if (IsMessageBox(window)) {
                    if (!answered.insert(window).second) return;
                    run.boxes.push_back({WindowText(window), MessageBoxText(window), GetWindow(window, GW_OWNER),
                                         ReadMessageBoxButtons(window), WideText(GetDlgItem(window, 0xFFFF))});
                    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                    return;
                }
                run.setupWindow = window;
                HWND page = FindWindowExA(window, nullptr, "#32770", nullptr);
                HWND next = GetDlgItem(window, IDOK);
                HWND cancel = GetDlgItem(window, IDCANCEL);
                // Setup stopped by its script: only Cancel closes it.
                if (page && !answered.empty() && IsWindowEnabled(window) && !IsWindowEnabled(next) &&
                    IsWindowEnabled(cancel) && IsWindowVisible(cancel)) {
                    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
                    return;
                }
                if (page && step && step(window, page)) return;
                if (!page || !IsWindowEnabled(window) || !IsWindowEnabled(next)) return;
                std::vector<std::string> texts;
                EnumChildWindows(page, &AddChildText, reinterpret_cast<LPARAM>(&texts));
                if (texts.empty() || !clicked.insert({page, texts.front()}).second) return;
                run.pageTexts.insert(run.pageTexts.end(), texts.begin(), texts.end());
                run.headerTexts.push_back(WindowText(GetDlgItem(window, kHeaderSubtext)));
                PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(next));
            },
            kSetupTimeoutMs);
        run.exitCode = process.exitCode();
        return run;
    }

    std::vector<std::string> FilesInInstallDir() const { return FilesIn(installDir_); }
    static std::vector<std::string> FilesIn(const std::string& folder) {
        std::vector<std::string> files;
        WIN32_FIND_DATAA found;
        for (FindHandle search = FindFirst((folder + "\\*").c_str(), &found); search;) {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(found.cFileName);
            if (!FindNextFileA(search.get(), &found)) break;
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    std::string installDir_;
    std::string setup_;
};

TEST_F(Installer, SilentInstallRegistersBothConduitsOverPalmsDateBook) {
    InstallPalmDesktop();

    EXPECT_EQ(0u, InstallSilently());

    EXPECT_EQ(kInstalledFiles, FilesInInstallDir());
    EXPECT_EQ(installDir_, ReadString(HKEY_LOCAL_MACHINE, InstallKeyPath(), "Path"));
    EXPECT_EQ(installDir_ + "\\twdate.dll", RegisteredLibrary("date"));
    EXPECT_EQ(installDir_ + "\\twtask.dll", RegisteredLibrary("todo"));
    EXPECT_EQ(kPalmDateBookLibrary, ReadString(HKEY_CURRENT_USER, kBackupDateBook, "Conduit"));
    EXPECT_EQ("Tidewell for Palm", ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"));
    EXPECT_EQ(TW_VERSION_TEXT, ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"));
    EXPECT_EQ("Quillon Software", ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "Publisher"));
    EXPECT_EQ("\"" + installDir_ + "\\uninstall.exe\"", ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"));
    const RawValue size = ReadRawValue(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize");
    ASSERT_EQ(static_cast<DWORD>(REG_DWORD), size.type);
    EXPECT_GT(*reinterpret_cast<const DWORD*>(size.data.data()), 0u);
}

TEST_F(Installer, SilentUninstallGivesPalmsDateBookBackAndKeepsWhatIsTheUsers) {
    InstallPalmDesktop();
    ASSERT_EQ(0u, InstallSilently());
    RegKey::Create(HKEY_CURRENT_USER, kJanesSettings).WriteString("Path", "C:\\Almanor\\jane.al0");
    WriteTextFile(installDir_ + "\\notes.txt", "the user's own file in the installation folder");
    SetInstallValue("Comment", "someone else's value beside Path");
    RegKey::Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quillon Software\\Almanor\\Install").WriteString("Path", "C:\\Almanor");

    EXPECT_EQ(0u, UninstallSilently());

    EXPECT_EQ(kPalmDateBookLibrary, RegisteredLibrary("date"));
    EXPECT_EQ(5u, palm_.Conduit("date").numbers["Priority"]);
    EXPECT_EQ("(none)", RegisteredLibrary("todo"));
    EXPECT_EQ(std::vector<std::string>{"notes.txt"}, FilesInInstallDir());
    EXPECT_EQ("(no value)", ReadString(HKEY_LOCAL_MACHINE, InstallKeyPath(), "Path"));
    EXPECT_EQ("(no value)", ReadString(HKEY_LOCAL_MACHINE, InstallKeyPath(), "PDPath"));
    EXPECT_EQ("someone else's value beside Path", ReadString(HKEY_LOCAL_MACHINE, InstallKeyPath(), "Comment"));
    EXPECT_EQ("C:\\Almanor", ReadString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quillon Software\\Almanor\\Install", "Path"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_EQ(kPalmDateBookLibrary, ReadString(HKEY_CURRENT_USER, kBackupDateBook, "Conduit"));
    EXPECT_EQ("C:\\Almanor\\jane.al0", ReadString(HKEY_CURRENT_USER, kJanesSettings, "Path"));
}

TEST_F(Installer, SilentInstallThatCannotWriteAFileStopsBeforePalmDesktop) {
    InstallPalmDesktop();
    ASSERT_TRUE(CreateDirectoryA(installDir_.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((installDir_ + "\\twpalm.dll").c_str(), nullptr));

    EXPECT_EQ(2u, InstallSilently());

    EXPECT_EQ(kPalmDateBookLibrary, RegisteredLibrary("date"));
    EXPECT_EQ("(none)", RegisteredLibrary("todo"));
    EXPECT_EQ("(no key)", ReadString(HKEY_LOCAL_MACHINE, InstallKeyPath(), "Path"));
}

TEST_F(Installer, SilentInstallIntoPalmDesktopsFolderIsRefused) {
    InstallPalmDesktop();
    installDir_ = palmDir_;

    EXPECT_EQ(2u, InstallSilently());

    EXPECT_FALSE(PathExists(palmDir_ + "\\twpalm.dll"));
    EXPECT_EQ("(no key)", ReadString(HKEY_LOCAL_MACHINE, InstallKeyPath(), "Path"));
    EXPECT_EQ(kPalmDateBookLibrary, RegisteredLibrary("date"));
}

// A folder whose name the system's code page cannot write: Greek and
// Japanese letters on a Western system (in a Japanese one, the Greek).
class InstallerForeignFolder : public Installer {
protected:
    void SetUp() override {
        Installer::SetUp();
#ifndef _WIN64
        GTEST_SKIP() << "the ANSI Setup of this build receives folder names already in the code page";
#endif
        InstallPalmDesktop();
        folder_ = Widen(productDir_) + L"\\Tidewell \x03A9\x03BC\x03AD\x03B3\x03B1 \x30C6\x30B9\x30C8";
        BOOL usedDefault = FALSE;
        char ansi[MAX_PATH * 2] = {};
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, folder_.c_str(), -1, ansi, sizeof ansi, nullptr,
                            &usedDefault);
        ASSERT_TRUE(usedDefault) << "the code page writes every character of the folder name";
    }
    void ExpectNothingInstalled() {
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((folder_ + L"\\twpalm.dll").c_str()));
        EXPECT_EQ("(no key)", ReadString(HKEY_LOCAL_MACHINE, InstallKeyPath(), "Path"));
        EXPECT_EQ(kPalmDateBookLibrary, RegisteredLibrary("date"));
        EXPECT_EQ("(none)", RegisteredLibrary("todo"));
    }
    std::wstring Command(const wchar_t* options) const { return L"\"" + Widen(setup_) + L"\" " + options + folder_; }
    std::wstring folder_;
};

const wchar_t kForeignFolderMessage[] =
    L" has characters that this system's language settings cannot write in file names, and Palm Desktop could "
    L"not find Tidewell for Palm there. Install Tidewell for Palm into a folder whose name uses only characters "
    L"of this system's language.";

TEST_F(InstallerForeignFolder, SilentInstallIsRefused) {
    EXPECT_EQ(2u, RunSilently(Command(L"/S /D=")));
    ExpectNothingInstalled();
}

TEST_F(InstallerForeignFolder, InteractiveInstallSaysWhyAndStops) {
    InteractiveRun run = InstallPageByPage(Command(L"/D="));
    ASSERT_TRUE(run.finished) << ::testing::PrintToString(run.pageTexts) << run.boxes.size();
    EXPECT_EQ(2u, run.exitCode);
    ASSERT_EQ(1u, run.boxes.size());
    EXPECT_EQ(L"The folder name " + folder_ + kForeignFolderMessage, run.boxes[0].wideText);
    EXPECT_EQ("Tidewell for Palm Setup", run.boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), run.boxes[0].buttons);
    ExpectNothingInstalled();
}

TEST_F(Installer, SilentInstallDuringAHotSyncSaysSoAndLosesNothing) {
    InstallPalmDesktop();
    palm_.SetHotSync(true, true);

    EXPECT_EQ(kConduitsNotDone, InstallSilently());

    EXPECT_EQ(kInstalledFiles, FilesInInstallDir());
    EXPECT_EQ(installDir_, ReadString(HKEY_LOCAL_MACHINE, InstallKeyPath(), "Path"));
    EXPECT_EQ(kPalmDateBookLibrary, RegisteredLibrary("date"));
    EXPECT_EQ("(none)", RegisteredLibrary("todo"));
    EXPECT_TRUE(palm_.Running());
}

// An uninstall whose conduits stay registered says so, and still removes
// the files and the installation values.
struct FailedUninstall {
    const char* name;
    void (*arrange)(PalmDesktop& palm, const std::string& installDir);
};

class InstallerUninstallFailure : public Installer, public ::testing::WithParamInterface<FailedUninstall> {};

TEST_P(InstallerUninstallFailure, SaysSoAndStillRemovesTheFiles) {
    InstallPalmDesktop();
    ASSERT_EQ(0u, InstallSilently());
    GetParam().arrange(palm_, installDir_);

    EXPECT_EQ(kConduitsNotDone, UninstallSilently());

    EXPECT_EQ(installDir_ + "\\twdate.dll", RegisteredLibrary("date"));
    EXPECT_FALSE(PathExists(installDir_));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, InstallKeyPath()));
    EXPECT_EQ(kPalmDateBookLibrary, ReadString(HKEY_CURRENT_USER, kBackupDateBook, "Conduit"));
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, InstallerUninstallFailure,
    ::testing::Values(FailedUninstall{"HotSyncUnderWay", [](PalmDesktop& palm,
                                                             const std::string&) { palm.SetHotSync(true, true); }},
                      FailedUninstall{"ConduitManagerGone",
                                      [](PalmDesktop&, const std::string& installDir) {
                                          DeleteFileA((installDir + "\\CondMgr.dll").c_str());
                                      }}),
    [](const ::testing::TestParamInfo<FailedUninstall>& info) { return std::string(info.param.name); });

TEST_F(Installer, InteractiveInstallWithoutPalmDesktopShowsTheProductsMessage) {
    InteractiveRun run = InstallPageByPage();

    ASSERT_TRUE(run.finished);
    EXPECT_EQ(kConduitsNotDone, run.exitCode);
    ASSERT_EQ(1u, run.boxes.size());
    EXPECT_EQ(kProductCaption, run.boxes[0].caption);
    EXPECT_EQ("Error: Conduit Manager, value not found!\n", run.boxes[0].text);
    EXPECT_EQ(run.setupWindow, run.boxes[0].owner);
    EXPECT_EQ(static_cast<UINT>(MB_OK), run.boxes[0].buttons);
    EXPECT_EQ(kInstalledFiles, FilesInInstallDir());
    EXPECT_NE(run.pageTexts.end(),
              std::find_if(run.pageTexts.begin(), run.pageTexts.end(), [](const std::string& text) {
                  return text.find("its conduits are not registered with Palm Desktop") != std::string::npos;
              }))
        << ::testing::PrintToString(run.pageTexts);
}

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}
bool AnyContains(const std::vector<std::string>& texts, const std::string& part) {
    return std::any_of(texts.begin(), texts.end(),
                       [&](const std::string& text) { return text.find(part) != std::string::npos; });
}

TEST_F(Installer, InteractiveFolderPageSaysWhyPalmDesktopsFolderCannotBeChosen) {
    InstallPalmDesktop();
    std::string refusedText, acceptedText;
    bool refusedGreyed = false, changed = false;
    InteractiveRun run = InstallPageByPage("\"" + setup_ + "\" /D=" + palmDir_, [&](HWND window, HWND page) {
        HWND folderBox = GetDlgItem(page, kFolderBox);
        if (!folderBox) return false;
        // Shown once its dialog procedure has set up the page.
        if (!IsWindowVisible(page)) return true;
        if (!changed) {
            refusedGreyed = !IsWindowEnabled(GetDlgItem(window, IDOK));
            refusedText = WindowText(GetDlgItem(page, kPageText));
            SetWindowTextA(folderBox, installDir_.c_str());
            changed = true;
            return true;
        }
        if (!IsWindowEnabled(GetDlgItem(window, IDOK))) return true;
        acceptedText = WindowText(GetDlgItem(page, kPageText));
        return false;
    });

    ASSERT_TRUE(run.finished) << ::testing::PrintToString(run.pageTexts);
    EXPECT_TRUE(refusedGreyed);
    EXPECT_EQ("Palm Desktop is installed in this folder. Install Tidewell for Palm into a folder of its own: click "
              "Browse and select another folder.",
              refusedText);
    EXPECT_EQ("Setup will install Tidewell for Palm in the following folder. To install in a different folder, click "
              "Browse and select another folder. Click Install to start the installation.",
              acceptedText);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(kInstalledFiles, FilesInInstallDir());
    EXPECT_FALSE(PathExists(palmDir_ + "\\twpalm.dll"));
}

// The installation value cannot be written: its parent key is volatile, and
// Windows creates no lasting key under a volatile one.
void MakeInstallationValueUnwritable(const std::string&) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quillon Software\\Orvelle", 0, nullptr,
                                             REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegCloseKey(key);
}

// A folder in the way of the uninstaller Setup writes.
void PutAFolderWhereTheUninstallerGoes(const std::string& installDir) {
    ASSERT_TRUE(CreateDirectoryA(installDir.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((installDir + "\\uninstall.exe").c_str(), nullptr));
}

struct FailedWrite {
    const char* name;
    void (*arrange)(const std::string& installDir);
};

class InstallerWriteFailure : public Installer, public ::testing::WithParamInterface<FailedWrite> {};

TEST_P(InstallerWriteFailure, SilentInstallStopsBeforePalmDesktop) {
    InstallPalmDesktop();
    GetParam().arrange(installDir_);

    EXPECT_EQ(2u, InstallSilently());

    EXPECT_EQ(kPalmDateBookLibrary, RegisteredLibrary("date"));
    EXPECT_EQ("(none)", RegisteredLibrary("todo"));
    EXPECT_EQ("(no key)", ReadString(HKEY_LOCAL_MACHINE, InstallKeyPath(), "Path"));
}

INSTANTIATE_TEST_SUITE_P(Writes, InstallerWriteFailure,
                         ::testing::Values(FailedWrite{"InstallationValue", &MakeInstallationValueUnwritable},
                                           FailedWrite{"Uninstaller", &PutAFolderWhereTheUninstallerGoes}),
                         [](const ::testing::TestParamInfo<FailedWrite>& info) { return std::string(info.param.name); });

TEST_F(Installer, InteractiveInstallThatCannotWriteTheInstallationValueSaysSo) {
    InstallPalmDesktop();
    MakeInstallationValueUnwritable(installDir_);

    InteractiveRun run = InstallPageByPage();

    ASSERT_TRUE(run.finished) << ::testing::PrintToString(run.pageTexts);
    EXPECT_EQ(2u, run.exitCode);
    ASSERT_EQ(1u, run.boxes.size());
    EXPECT_EQ("Tidewell for Palm Setup", run.boxes[0].caption);
    EXPECT_EQ("Setup cannot write to the registry key HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon Software\\Orvelle\\Install. "
              "Run Setup as an administrator.",
              run.boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK), run.boxes[0].buttons);
    EXPECT_EQ(kPalmDateBookLibrary, RegisteredLibrary("date"));
    EXPECT_EQ("(none)", RegisteredLibrary("todo"));
}

// "Path" naming the uninstaller's folder otherwise than Setup wrote it.
struct PathWrittenOtherwise {
    const char* name;
    std::string (*rewrite)(const std::string& folder);
};

class InstallerPathWrittenOtherwise : public Installer, public ::testing::WithParamInterface<PathWrittenOtherwise> {};

TEST_P(InstallerPathWrittenOtherwise, UninstallerKnowsItsOwnFolder) {
    InstallPalmDesktop();
    ASSERT_EQ(0u, InstallSilently());
    const std::string path = GetParam().rewrite(installDir_);
    ASSERT_NE(installDir_, path);
    SetInstallValue("Path", path);

    EXPECT_EQ(0u, UninstallSilently());

    EXPECT_EQ(kPalmDateBookLibrary, RegisteredLibrary("date"));
    EXPECT_EQ("(none)", RegisteredLibrary("todo"));
    EXPECT_FALSE(PathExists(installDir_));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, InstallKeyPath()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

INSTANTIATE_TEST_SUITE_P(
    Forms, InstallerPathWrittenOtherwise,
    ::testing::Values(PathWrittenOtherwise{"OtherLetters",
                                           [](const std::string& folder) {
                                               std::string upper = folder;
                                               CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
                                               return upper;
                                           }},
                      PathWrittenOtherwise{"TrailingBackslash",
                                           [](const std::string& folder) { return folder + "\\"; }},
                      PathWrittenOtherwise{"ShortName",
                                           [](const std::string& folder) {
                                               char shortName[MAX_PATH] = {};
                                               GetShortPathNameA(folder.c_str(), shortName, MAX_PATH);
                                               return std::string(shortName);
                                           }}),
    [](const ::testing::TestParamInfo<PathWrittenOtherwise>& info) { return std::string(info.param.name); });

// Installed into one folder, then into another: the uninstaller left in the
// first folder belongs to an earlier installation.
class InstallerTwoFolders : public Installer {
protected:
    void SetUp() override {
        Installer::SetUp();
        if (HasFatalFailure()) return;
        InstallPalmDesktop();
        earlierDir_ = installDir_;
        ASSERT_EQ(0u, InstallSilently(earlierDir_));
        installDir_ = earlierDir_ + " 2";
        ASSERT_EQ(0u, InstallSilently());
        pdPath_ = ReadString(HKEY_LOCAL_MACHINE, InstallKeyPath(), "PDPath");
        uninstallEntry_ = ReadKeyValues(HKEY_LOCAL_MACHINE, kUninstallKey);
        ASSERT_FALSE(uninstallEntry_.empty());
    }
    void TearDown() override {
        RemoveTree(earlierDir_);
        Installer::TearDown();
    }
    void ExpectTheInstallationUntouchedAndTheEarlierFolderGone() {
        EXPECT_FALSE(PathExists(earlierDir_));
        EXPECT_EQ(kInstalledFiles, FilesInInstallDir());
        EXPECT_EQ(installDir_, ReadString(HKEY_LOCAL_MACHINE, InstallKeyPath(), "Path"));
        EXPECT_EQ(pdPath_, ReadString(HKEY_LOCAL_MACHINE, InstallKeyPath(), "PDPath"));
        EXPECT_EQ(installDir_ + "\\twdate.dll", RegisteredLibrary("date"));
        EXPECT_EQ(installDir_ + "\\twtask.dll", RegisteredLibrary("todo"));
        EXPECT_EQ(uninstallEntry_, ReadKeyValues(HKEY_LOCAL_MACHINE, kUninstallKey));
        EXPECT_EQ(kPalmDateBookLibrary, ReadString(HKEY_CURRENT_USER, kBackupDateBook, "Conduit"));
    }
    std::string earlierDir_;
    std::string pdPath_;
    std::map<std::string, RawValue> uninstallEntry_;
};

TEST_F(InstallerTwoFolders, SilentUninstallerOfTheEarlierFolderRemovesOnlyItsOwnFiles) {
    EXPECT_EQ(kOtherInstallation, UninstallSilently(earlierDir_));
    ExpectTheInstallationUntouchedAndTheEarlierFolderGone();
}

TEST_F(InstallerTwoFolders, InteractiveUninstallerOfTheEarlierFolderSaysWhatItLeaves) {
    InteractiveRun run = UninstallPageByPage(earlierDir_);

    ASSERT_TRUE(run.finished) << ::testing::PrintToString(run.pageTexts);
    EXPECT_EQ(kOtherInstallation, run.exitCode);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_TRUE(Contains(run.pageTexts, "Tidewell for Palm is installed in " + installDir_ +
                                            ". This removes only the files that an earlier installation left in the "
                                            "folder below, and leaves the installation in " +
                                            installDir_ + " as it is. Click Uninstall to start."))
        << ::testing::PrintToString(run.pageTexts);
    ASSERT_FALSE(run.headerTexts.empty());
    EXPECT_EQ("Only this folder's files were removed: Tidewell for Palm stays installed in " + installDir_ + ".",
              run.headerTexts.back());
    ExpectTheInstallationUntouchedAndTheEarlierFolderGone();
}

// twpalmui.dll loaded by a running host (here the test itself), which
// Windows does not let anyone delete until it is unloaded.
class InstallerFileInUse : public Installer {
protected:
    void SetUp() override {
        Installer::SetUp();
        if (HasFatalFailure()) return;
        pending_ = ReadRawValue(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations");
        InstallPalmDesktop();
        ASSERT_EQ(0u, InstallSilently());
        heldFile_ = installDir_ + "\\twpalmui.dll";
        held_ = LoadLibraryA(heldFile_.c_str());
        ASSERT_NE(nullptr, held_);
    }
    void TearDown() override {
        if (held_) FreeLibrary(held_);
        if (pending_.present) {
            WriteRawValue(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations", pending_);
        } else {
            DeleteValue(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations");
        }
        Installer::TearDown();
    }
    // The removals Windows makes at its next start, one name a line.
    static std::string PendingRemovals() {
        const RawValue value = ReadRawValue(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations");
        std::string text(value.data.begin(), value.data.end());
        std::replace(text.begin(), text.end(), '\0', '\n');
        return text;
    }
    void ExpectUninstalledButTheFileInUse() {
        EXPECT_EQ(std::vector<std::string>{"twpalmui.dll"}, FilesInInstallDir());
        EXPECT_NE(std::string::npos, PendingRemovals().find(heldFile_ + "\n")) << PendingRemovals();
        EXPECT_EQ(kPalmDateBookLibrary, RegisteredLibrary("date"));
        EXPECT_EQ("(none)", RegisteredLibrary("todo"));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, InstallKeyPath()));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    }
    RawValue pending_;
    std::string heldFile_;
    HMODULE held_ = nullptr;
};

TEST_F(InstallerFileInUse, SilentUninstallRemovesItAtTheRestartAndSaysSo) {
    EXPECT_EQ(kRestartNeeded, UninstallSilently());
    ExpectUninstalledButTheFileInUse();
}

// The conduits that stayed registered matter more than the restart.
TEST_F(InstallerFileInUse, SilentUninstallDuringAHotSyncReportsTheConduitsFirst) {
    palm_.SetHotSync(true, true);

    EXPECT_EQ(kConduitsNotDone, UninstallSilently());

    EXPECT_EQ(std::vector<std::string>{"twpalmui.dll"}, FilesInInstallDir());
    EXPECT_NE(std::string::npos, PendingRemovals().find(heldFile_ + "\n")) << PendingRemovals();
    EXPECT_EQ(installDir_ + "\\twdate.dll", RegisteredLibrary("date"));
}

TEST_F(InstallerFileInUse, InteractiveUninstallSaysWhichFileStaysUntilTheRestart) {
    InteractiveRun run = UninstallPageByPage(installDir_);

    ASSERT_TRUE(run.finished) << ::testing::PrintToString(run.pageTexts);
    EXPECT_EQ(kRestartNeeded, run.exitCode);
    ASSERT_EQ(1u, run.boxes.size());
    EXPECT_EQ("Tidewell for Palm Uninstall", run.boxes[0].caption);
    EXPECT_EQ("These files could not be removed, because a program still uses them:\r\n\r\n" + heldFile_ +
                  "\r\n\r\nThey will be removed when Windows restarts.",
              run.boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK), run.boxes[0].buttons);
    ASSERT_FALSE(run.headerTexts.empty());
    EXPECT_EQ("Some files are in use: restart Windows to finish removing them.", run.headerTexts.back());
    EXPECT_FALSE(AnyContains(run.headerTexts, "completed successfully")) << ::testing::PrintToString(run.headerTexts);
    EXPECT_FALSE(AnyContains(run.pageTexts, "completed successfully")) << ::testing::PrintToString(run.pageTexts);
    ExpectUninstalledButTheFileInUse();
}

}  // namespace
