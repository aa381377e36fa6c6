// Text under the user's ANSI code page. ctest runs this program once per code
// page (932, 936, 949, 950 and 1252), Wine started in the Unix locale that
// gives it; TW_CODE_PAGE names the one expected. Folder, user and file names
// end in characters whose second byte is 0x5C, the backslash, where the code
// page has such characters (949 and 1252 have none: other characters beyond
// ASCII are used there), found by asking the system rather than from a table.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/path.h"
#include "common/reg_key.h"
#include "common/text.h"
#include "framework/window_text.h"
#include "report/summary_report.h"
#include "resources/twpalmui_ids.h"
#include "settings/conduit_settings.h"
#include "tests/installer_fixture.h"
#include "tests/settings_fixture.h"
#include "tests/summary_fixture.h"
#include "tests/support/code_page_text.h"
#include "tests/support/help_engine_calls.h"
#include "tests/support/private_classes.h"
#include "tests/support/registry_snapshot.h"
#include "tests/support/url_recorder.h"
#include "tests/support/test_paths.h"

using namespace testsupport;

namespace {

UINT ExpectedCodePage() {
    const char* named = std::getenv("TW_CODE_PAGE");
    return named ? static_cast<UINT>(std::strtoul(named, nullptr, 10)) : 0;
}

// REGEDIT4 text of one export: from its "REGEDIT4" line to the next one or
// to the summary's last line.
std::vector<std::string> RegistrySections(const std::string& summary) {
    std::vector<std::string> sections;
    const std::string header = "REGEDIT4\r\n";
    const std::string end = "\r\nSaved summary file to ";
    size_t start = summary.find(header);
    while (start != std::string::npos) {
        size_t next = summary.find(header, start + header.size());
        const size_t stop = next != std::string::npos ? next : summary.find(end, start);
        sections.push_back(summary.substr(start, stop == std::string::npos ? std::string::npos : stop - start));
        start = next;
    }
    return sections;
}

// Runs a program of the system and waits for it.
DWORD RunSystemProgram(std::string commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return ~0u;
    }
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = ~0u;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

}  // namespace

TEST(CodePage, IsTheOneTheLocaleGivesAndHasItsCharacters) {
    ASSERT_NE(0u, ExpectedCodePage()) << "TW_CODE_PAGE is not set";
    EXPECT_EQ(ExpectedCodePage(), GetACP());
    const UINT cp = GetACP();
    const bool hasBackslashTrail = cp == 932 || cp == 936 || cp == 950;
    EXPECT_EQ(hasBackslashTrail, !CharsEndingInBackslashByte(1).empty());
    EXPECT_FALSE(NativeChars().empty());
}

// The shared helpers, on text that ends in such a character.
class CodePageText : public ::testing::Test {
protected:
    const std::string chars_ = NativeChars();
    const std::string folder_ = "C:\\Cal " + chars_;
};

TEST_F(CodePageText, JoinAddsTheSeparatorAfterAFolderEndingInTheCharacter) {
    EXPECT_EQ(folder_ + "\\CondMgr.dll", path::Join(folder_, "CondMgr.dll"));
    EXPECT_EQ(folder_ + "\\CondMgr.dll", path::Join(folder_ + "\\", "CondMgr.dll"));
}

TEST_F(CodePageText, NamesAndFoldersSplitAtTheLastRealBackslash) {
    EXPECT_EQ("Cal " + chars_, text::FileNamePart(folder_));
    EXPECT_EQ(chars_ + ".dll", text::FileNamePart(folder_ + "\\" + chars_ + ".dll"));
    EXPECT_EQ(folder_, text::StripProgramName(folder_ + "\\HotSync.exe"));
    EXPECT_EQ(folder_ + "\\" + chars_, text::StripProgramName(folder_ + "\\" + chars_));
    std::string withSlash = folder_ + "\\";
    text::DropTrailingBackslash(&withSlash);
    EXPECT_EQ(folder_, withSlash);
    text::DropTrailingBackslash(&withSlash);
    EXPECT_EQ(folder_, withSlash);
}

TEST_F(CodePageText, CutsFallBetweenCharacters) {
    // Every limit over the whole text: a cut never keeps half a character.
    const std::string whole = "ab" + chars_ + "c" + chars_;
    for (size_t limit = 0; limit <= whole.size() + 1; ++limit) {
        SCOPED_TRACE(limit);
        const size_t length = text::CutLength(whole.c_str(), limit);
        EXPECT_LE(length, limit);
        EXPECT_GE(length + 1, std::min(limit, whole.size())) << "more was cut than one character";
        const std::string kept = whole.substr(0, length);
        WCHAR wide[64] = {};
        const int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, kept.c_str(),
                                              static_cast<int>(kept.size()), wide, 64);
        EXPECT_TRUE(kept.empty() || units > 0) << "a cut left half a character";
        EXPECT_EQ(kept, std::string(whole, 0, length));
        if (length < whole.size() && length > 0) {
            // The next character does not fit: one byte more is a lead byte
            // the limit left out, or the limit itself.
            EXPECT_TRUE(length == limit || IsDBCSLeadByte(static_cast<BYTE>(whole[length])));
        }
    }
}

TEST_F(CodePageText, LogNameKeepsTheUsersCharactersAndReplacesOnlySeparators) {
    const std::string user = "Jane Doe." + chars_;
    const std::string dataFile = folder_ + "\\" + chars_ + ".alm";
    EXPECT_EQ(folder_ + "\\" + chars_ + "_dates_jane_doe_" + chars_ + "_log.txt",
              BuildLogFileName(dataFile, 0, user));
}

// The installer's road with the product folder and Palm Desktop's folder
// both ending in the character.
class CodePageInstall : public installertest::InstallerTest {
protected:
    CodePageInstall() { folderSuffix_ = " " + NativeChars(); }
};

TEST_F(CodePageInstall, InstallVerifyAndUninstallRegisterAndRemoveBothConduits) {
    ASSERT_EQ(NativeChars(), productDir_.substr(productDir_.size() - NativeChars().size()));
    Install();
    ExpectConduit("date", installertest::OwnConduit("date", productDir_));
    ExpectConduit("todo", installertest::OwnConduit("todo", productDir_));
    ExpectPalmDesktopPath(palmDir_);
    VerifyDate();
    VerifyTask();
    Uninstall();
    ExpectNoConduit("date");
    ExpectNoConduit("todo");
}

// The settings road: product and Palm Desktop folders, the Palm user and the
// data file all end in the character.
class CodePageSettings : public SettingsTest {
protected:
    CodePageSettings() { folderSuffix_ = " " + NativeChars(); }
    const std::string user_ = "Jane " + NativeChars();
};

TEST_F(CodePageSettings, ComponentCheckFindsTheLibraryAndTheSettingsAreSavedForTheUser) {
    palm_.AddUser(5, user_);
    const std::string dataFile = productDir_ + "\\" + NativeChars() + ".alm";
    WriteTextFile(dataFile, "data");
    SetProfileString("Users\\" + user_, "Path", dataFile);
    bool opened = false;
    std::string shownFile;
    dialogs_.On(settingstexts::kDateBookSettings, [&](HWND dialog) {
        opened = true;
        shownFile = ::WindowText(GetDlgItem(dialog, IDC_SETTINGS_FILE));
        Click(dialog, IDOK);
    });
    EXPECT_EQ(0, DisplayUserSettings(0, user_.c_str()));
    EXPECT_TRUE(opened);
    EXPECT_TRUE(boxes_.seen().empty()) << boxes_.seen().front().text;
    EXPECT_EQ(dataFile, shownFile);
    EXPECT_EQ(dataFile, ProfileString("Users\\" + user_, "Path"));
}

// Characters the REGEDIT4 text keeps as they are: those of a double-byte code
// page. A single-byte one's characters beyond ASCII are written as escapes
// for support to read (\e9), which no registry editor reads back.
std::string ReimportableChars() {
    CPINFO info = {};
    return GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 1 ? NativeChars() : "Az";
}

TEST_F(CodePageSettings, BrowseTakesTheFileAndViewLogOpensTheLogNamedAfterIt) {
    PrivateClasses classes;
    ASSERT_TRUE(classes.overridden());
    const std::string record = productDir_ + "\\opened.txt";
    ASSERT_TRUE(RecordTextFileOpens(record));
    const std::string chars = NativeChars();
    const std::string dataFile = productDir_ + "\\" + chars + ".alm";
    WriteTextFile(dataFile, "data");
    // The user's letters lower-cased, its blank a '_'; these characters have no case.
    const std::string log = productDir_ + "\\" + chars + "_dates_jane_" + chars + "_log.txt";
    WriteTextFile(log, "log");
    palm_.AddUser(5, user_);
    bool viewLogEnabled = false;
    dialogs_.On(settingstexts::kDateBookSettings, Clicking(IDC_SETTINGS_BROWSE));
    dialogs_.On(settingstexts::kOpenCaption, [&](HWND open) {
        SetWindowTextA(GetDlgItem(open, 0x47C), dataFile.c_str());  // the file name box
        PostMessageA(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    dialogs_.On(settingstexts::kDateBookSettings, [&](HWND dialog) {
        viewLogEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_SETTINGS_VIEW_LOG)) != FALSE;
        Click(dialog, IDC_SETTINGS_VIEW_LOG);
    });
    dialogs_.On(settingstexts::kDateBookSettings, Clicking(IDOK));
    EXPECT_EQ(0, DisplayUserSettings(0, user_.c_str()));
    EXPECT_TRUE(viewLogEnabled);
    EXPECT_EQ(log + "\n", RecordedOpens(record));
    EXPECT_TRUE(boxes_.seen().empty()) << boxes_.seen().front().text;
    EXPECT_EQ(dataFile, ProfileString("Users\\" + user_, "Path"));
}

// Help: the help file beside twpalmui.dll in a folder ending in the character.
class CodePageHelp : public CodePageSettings {
protected:
    void SetUp() override {
        CodePageSettings::SetUp();
        if (HasFatalFailure()) return;
        ForgetEngineCalls();
        classes_ = std::make_unique<PrivateClasses>();
        ASSERT_TRUE(classes_->overridden());
        ASSERT_TRUE(CopyFileTo(BinDir() + "\\twpalmui.dll", productDir_));
        ASSERT_TRUE(CopyFileTo(BinDir() + "\\twpalm.chm", productDir_));
        // The copy in the product folder in place of the build's.
        boxes_.StopWatching();
        twpalmui_.Free();
        twpalmui_ = Module::Load((productDir_ + "\\twpalmui.dll").c_str());
        ASSERT_TRUE(twpalmui_);
        boxes_.Watch(twpalmui_.get());
        palm_.AddUser(5, user_);
    }
    void TearDown() override {
        classes_.reset();
        ForgetEngineCalls();
        CodePageSettings::TearDown();
    }
    std::unique_ptr<PrivateClasses> classes_;
};

TEST_F(CodePageHelp, HelpButtonOpensTheHelpFileBesideTheLibrary) {
    const std::string engineDir = MakeScratchDir("engine");
    const std::string engine = PlaceHelpEngine("helpengine", engineDir);
    ASSERT_TRUE(PrivateClasses::SetDefault(kHelpServerKey, engine));
    OnUserList([](HWND dialog) { Click(dialog, IDC_HELP_BUTTON); });
    CloseUserList();
    EXPECT_EQ(0, DisplaySettings());
    const std::vector<HelpCall> calls = EngineCalls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(productDir_ + "\\twpalm.chm", calls[0].file);
    EXPECT_TRUE(boxes_.seen().empty()) << boxes_.seen().front().text;
}

// The Settings Summary's REGEDIT4 sections read back by the system's registry
// editor give every key and value byte for byte.
class CodePageSummary : public SummaryTest {
protected:
    CodePageSummary() { folderSuffix_ = " " + ReimportableChars(); }
};

TEST_F(CodePageSummary, RegistrySectionsImportBackWithEveryByte) {
    const std::string chars = ReimportableChars();
    const std::string user = "Jane " + chars;
    SetProfileString("Users", "LUN", user);
    SetProfileString("Users\\" + user, "Path", productDir_ + "\\" + chars + ".alm");
    SetProfileString("Users\\" + user, chars.c_str(), "\\\"" + chars + "\\");
    const char* const kKeys[] = {"Software\\Quillon Software\\Orvelle", "Software\\U.S. Robotics\\Pilot Desktop\\Core"};
    RegistrySnapshot before;
    for (const char* key : kKeys) {
        RegKey open = RegKey::Open(HKEY_CURRENT_USER, key, KEY_READ);
        ASSERT_TRUE(open) << key;
        CollectRegistry(open.get(), key, &before);
    }

    const std::string summary = ReadTextFile(CSummaryReport().Save());
    const std::vector<std::string> sections = RegistrySections(summary);
    ASSERT_EQ(2u, sections.size()) << summary;
    for (const char* key : kKeys) ASSERT_TRUE(DeleteKeyTree(HKEY_CURRENT_USER, key)) << key;
    for (size_t i = 0; i < sections.size(); ++i) {
        const std::string file = MakeScratchDir("reg") + "\\section" + std::to_string(i) + ".reg";
        WriteTextFile(file, sections[i]);
        EXPECT_EQ(0u, RunSystemProgram("regedit.exe /s \"" + file + "\"")) << sections[i];
    }

    RegistrySnapshot after;
    for (const char* key : kKeys) {
        RegKey open = RegKey::Open(HKEY_CURRENT_USER, key, KEY_READ);
        ASSERT_TRUE(open) << key;
        CollectRegistry(open.get(), key, &after);
    }
    EXPECT_EQ(before, after) << summary;
}
