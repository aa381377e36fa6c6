// The settings library's helpers, linked in directly: Almanor's folders,
// file tests, error texts and boxes, the string table, HotSync action texts,
// window text and owned icons and cursors, and the conduit settings storage.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "common/reg_key.h"
#include "framework/application.h"
#include "framework/icon.h"
#include "framework/window_text.h"
#include "resources/twpalmui_ids.h"
#include "settings/almanor_paths.h"
#include "settings/conduit_settings.h"
#include "settings/file_checks.h"
#include "settings/hotsync_action.h"
#include "tests/support/message_box_driver.h"
#include "tests/support/product_state.h"
#include "tests/support/test_paths.h"
#include "tests/support/windows_versions.h"
#include "ui/messages.h"

using namespace testsupport;

namespace {

const char kAlmanorInstall[] = "SOFTWARE\\Quillon Software\\Almanor\\Install";
const char kAlmanorCommon[] = "SOFTWARE\\Quillon Software\\Almanor\\Common";
const char kJaneToDoList[] = "Software\\Quillon Software\\Orvelle\\Users\\Jane\\ToDoList";

int PrintAlmanorPath(const std::string&) {
    std::printf("[%s]", ReadAlmanorInstallValue("Path").c_str());
    return 0;
}
int PrintDataDir(const std::string&) {
    std::printf("[%s]", GetAlmanorDataDir().c_str());
    return 0;
}
ChildRegistration almanorPathChild("almanor-path", PrintAlmanorPath);
ChildRegistration dataDirChild("data-dir", PrintDataDir);

// The product's and Almanor's registry state wiped and a scratch folder
// made before each case, both removed after it.
class HelperTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProductState();
        scratch_ = MakeScratchDir("helpers");
    }
    void TearDown() override {
        ResetProductState();
        RemoveTree(scratch_);
    }
    std::string scratch_;
};

}  // namespace

TEST_F(HelperTest, AlmanorPathIsTrimmedAndFallsBackPerUserBeforeVista) {
    RegKey::Create(HKEY_LOCAL_MACHINE, kAlmanorInstall).WriteString("Path", "  C:\\Almanor \t");
    RegKey::Create(HKEY_LOCAL_MACHINE, kAlmanorInstall).WriteString("Other", "  kept  ");
    EXPECT_EQ("C:\\Almanor", ReadAlmanorInstallValue("Path"));
    EXPECT_EQ("  kept  ", ReadAlmanorInstallValue("Other"));
    EXPECT_EQ("C:\\Almanor\\almanor.exe", GetAlmanorProgramPath());

    DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quillon Software");
    RegKey::Create(HKEY_CURRENT_USER, kAlmanorInstall).WriteString("Path", " D:\\Mine ");
    EXPECT_EQ("[D:\\Mine]", RunChildAs("winxp", "almanor-path").output);
    EXPECT_EQ("[]", RunChildAs("vista", "almanor-path").output);
    EXPECT_EQ("", GetAlmanorProgramPath());  // this program runs as Windows 7
}

TEST_F(HelperTest, AlmanorProgramPathHasOneBackslashBeforeTheProgram) {
    RegKey::Create(HKEY_LOCAL_MACHINE, kAlmanorInstall).WriteString("Path", "C:\\Almanor\\ ");
    EXPECT_EQ("C:\\Almanor\\almanor.exe", GetAlmanorProgramPath());
}

TEST_F(HelperTest, DataDirFromDdirDropsOneTrailingBackslash) {
    RegKey::Create(HKEY_CURRENT_USER, kAlmanorCommon).WriteString("DDIR", scratch_ + "\\");
    EXPECT_EQ(scratch_, GetAlmanorDataDir());
}

TEST_F(HelperTest, DataDirOnVistaIsMadeInTheApplicationDataFolder) {
    RegKey::Create(HKEY_CURRENT_USER, kAlmanorCommon).WriteString("DDIR", scratch_ + "\\missing");
    char appData[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, appData, CSIDL_APPDATA, TRUE));
    const std::string expected = std::string(appData) + "\\Quillon Software\\Almanor";
    RemoveTree(expected);
    EXPECT_EQ(expected, GetAlmanorDataDir());
    EXPECT_TRUE(DirectoryExists(expected));
}

TEST_F(HelperTest, DataDirBeforeVistaIsTheInstallationsDataFolder) {
    EXPECT_EQ("[]", RunChildAs("winxp", "data-dir").output);
    RegKey::Create(HKEY_LOCAL_MACHINE, kAlmanorInstall).WriteString("Path", scratch_);
    EXPECT_EQ("[" + scratch_ + "\\Data]", RunChildAs("winxp", "data-dir").output);
    EXPECT_TRUE(DirectoryExists(scratch_ + "\\Data"));
}

TEST_F(HelperTest, FileAndFolderTestsTellThemApart) {
    const std::string file = scratch_ + "\\file.txt";
    WriteTextFile(file, "x");
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(scratch_));
    EXPECT_FALSE(FileExists(scratch_ + "\\none.txt"));
    EXPECT_TRUE(DirectoryExists(scratch_));
    EXPECT_TRUE(DirectoryExists(scratch_ + "\\"));
    EXPECT_FALSE(DirectoryExists(file));
    EXPECT_FALSE(DirectoryExists(scratch_ + "\\none"));
    EXPECT_FALSE(DirectoryExists(scratch_ + std::string(400, 'x')));
}

TEST(ErrorText, SystemTextElseTheProductsOwn) {
    EXPECT_EQ("", GetErrorText(0));
    EXPECT_EQ("", GetErrorText(1));
    EXPECT_FALSE(GetErrorText(ERROR_FILE_NOT_FOUND).empty());
    EXPECT_EQ("Unknown error has occurred: 0x2000abcd.\nPlease send a copy of this information to "
              "support@tidewell.example.com",
              GetErrorText(0x2000ABCD));
}

TEST(ErrorText, ReportErrorShowsTheTextInAnErrorBox) {
    MessageBoxDriver boxes;
    boxes.Watch(GetModuleHandleA(nullptr));
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ReportError(0, owner);
    boxes.Answer(IDOK);
    ReportError(ERROR_INVALID_NAME, owner);
    boxes.Answer(IDOK);
    ShowWarning("Careful", owner);
    DestroyWindow(owner);
    ASSERT_EQ(2u, boxes.seen().size());
    EXPECT_EQ(GetErrorText(ERROR_INVALID_NAME), boxes.seen()[0].text);
    EXPECT_EQ("Tidewell for Palm", boxes.seen()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_TOPMOST | MB_ICONERROR), boxes.seen()[0].flags);
    EXPECT_EQ(owner, boxes.seen()[0].owner);
    EXPECT_EQ(static_cast<UINT>(MB_ICONWARNING), boxes.seen()[1].flags);
    boxes.StopWatching();
}

struct StringCase {
    UINT id;
    const char* text;
};

class Resources : public ::testing::TestWithParam<StringCase> {};

TEST_P(Resources, StringTableEntries) { EXPECT_EQ(GetParam().text, LoadResString(GetParam().id)); }

const StringCase kStrings[] = {
    {IDS_APP_TITLE, "Orvelle"},
    {IDS_SUMMARY_MENU, "S&ummary..."},
    {IDS_CAPTION, "Tidewell for Palm"},
    {IDS_OPEN_FILTER, "Almanor Data File (*.al0)|*.al0|All Files (*.*)|*.*||"},
    {IDS_DATE_BOOK, "Date Book"},
    {IDS_TO_DO_LIST, "To Do List"},
    {IDS_MISSING_COMPONENT,
     "Cannot load the program because there are no some components. [#3001]\n\nPlease reinstall Tidewell for Palm."},
    {4242, ""}};
INSTANTIATE_TEST_SUITE_P(Texts, Resources, ::testing::ValuesIn(kStrings));

TEST(ResourcesLegalWarning, IsTheLongText) { EXPECT_GT(LoadResString(IDS_LEGAL_WARNING).size(), 200u); }

struct ActionCase {
    int action;
    const char* text;
};

class ActionText : public ::testing::TestWithParam<ActionCase> {};

TEST_P(ActionText, NamesTheActionAndDoNothingForAnyOther) {
    EXPECT_EQ(GetParam().text, GetActionText(GetParam().action));
}

const ActionCase kActions[] = {{0, "Synchronize"}, {1, "Almanor overwrites Handheld"},
                               {2, "Handheld overwrites Almanor"}, {3, "Do Nothing"}, {-1, "Do Nothing"},
                               {4, "Do Nothing"}};
INSTANTIATE_TEST_SUITE_P(Actions, ActionText, ::testing::ValuesIn(kActions));

// The library's own getter, not the harness's of the same name.
TEST(WindowText, ReadsTheWholeTextOfAWindow) {
    HWND window = CreateWindowA("EDIT", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    EXPECT_EQ("", ::WindowText(window));
    const std::string longText(3000, 't');
    SetWindowTextA(window, longText.c_str());
    EXPECT_EQ(longText, ::WindowText(window));
    DestroyWindow(window);
    EXPECT_EQ("", ::WindowText(nullptr));
}

namespace {

// Whether the icon or cursor handle still names one.
bool IconLives(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) return false;
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    return true;
}

// Moves an owned icon or cursor through construction and assignment: one
// owner at a time, destroyed once, with the last owner.
template <typename Owned>
void ExpectMovesToOneOwner(Owned first) {
    const auto handle = first.get();
    ASSERT_TRUE(first);
    {
        Owned second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(handle, second.get());
        Owned third;
        third = std::move(second);
        EXPECT_FALSE(second);
        EXPECT_EQ(handle, third.get());
        EXPECT_TRUE(IconLives(handle));
    }
    EXPECT_FALSE(IconLives(handle));
}

}  // namespace

TEST(OwnedHandles, IconAndCursorMoveToOneOwnerAndAreDestroyedWithIt) {
    HMODULE module = GetModuleHandleA(nullptr);
    ExpectMovesToOneOwner(
        OwnedIcon(static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(IDI_PRODUCT), IMAGE_ICON, 16, 16, 0))));
    ExpectMovesToOneOwner(
        OwnedCursor(static_cast<HCURSOR>(LoadImageA(module, MAKEINTRESOURCEA(IDR_HAND_CURSOR), IMAGE_CURSOR, 0, 0, 0))));
}

TEST_F(HelperTest, ConduitSettingsDefaultsAndNormalisation) {
    const ConduitSettings fresh = LoadConduitSettings("Jane", 0);
    EXPECT_EQ("", fresh.dataFile);
    EXPECT_FALSE(fresh.syncHidden);
    EXPECT_FALSE(fresh.syncPrivate);
    EXPECT_EQ(0, fresh.conflicts);
    EXPECT_EQ(0, fresh.permanentAction);
    EXPECT_EQ(-1, fresh.oneTimeAction);

    RegKey section = RegKey::Create(HKEY_CURRENT_USER, kJaneToDoList);
    section.WriteDword("Temporary", 7);
    section.WriteDword("Conflicts", static_cast<DWORD>(-1));
    section.WriteDword("Permanent", static_cast<DWORD>(-2));
    section.WriteDword("Hidden", 2);
    EXPECT_EQ(3, LoadConduitSettings("Jane", 1).oneTimeAction);
    EXPECT_EQ(0, LoadConduitSettings("Jane", 1).conflicts);
    EXPECT_EQ(0, LoadConduitSettings("Jane", 1).permanentAction);
    EXPECT_TRUE(LoadConduitSettings("Jane", 1).syncHidden);
    section.WriteDword("Temporary", static_cast<DWORD>(-5));
    EXPECT_EQ(-1, LoadConduitSettings("Jane", 1).oneTimeAction);
    EXPECT_EQ(0, LoadConduitSettings("Jane", 0).oneTimeAction + 1);  // the other conduit is untouched
}

TEST_F(HelperTest, ConduitSettingsAreSavedWithTheirTypes) {
    ConduitSettings settings;
    settings.dataFile = "C:\\Cal\\Home.al0";
    settings.syncHidden = true;
    settings.conflicts = 2;
    settings.permanentAction = 1;
    settings.oneTimeAction = -1;
    SaveConduitSettings("Jane", 1, settings);
    std::vector<BYTE> data;
    DWORD type = 0;
    RegKey user = RegKey::Open(HKEY_CURRENT_USER, "Software\\Quillon Software\\Orvelle\\Users\\Jane");
    ASSERT_TRUE(user.ReadBytes("Path", &data, &type));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    RegKey section = RegKey::Open(HKEY_CURRENT_USER, kJaneToDoList);
    const struct {
        const char* name;
        DWORD value;
    } expected[] = {{"Hidden", 1}, {"Private", 0}, {"Conflicts", 2}, {"Permanent", 1}, {"Temporary", 0xFFFFFFFF}};
    for (const auto& e : expected) {
        ASSERT_TRUE(section.ReadBytes(e.name, &data, &type)) << e.name;
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type) << e.name;
        EXPECT_EQ(e.value, *reinterpret_cast<const DWORD*>(data.data())) << e.name;
    }
    const ConduitSettings back = LoadConduitSettings("Jane", 1);
    EXPECT_EQ(settings.dataFile, back.dataFile);
    EXPECT_EQ(2, back.conflicts);
}

struct LogNameCase {
    const char* dataFile;
    int kind;
    const char* user;
    const char* expected;
};

class LogFileName : public ::testing::TestWithParam<LogNameCase> {};

TEST_P(LogFileName, FollowsTheDataFileAndTheUser) {
    const LogNameCase& c = GetParam();
    EXPECT_EQ(c.expected, BuildLogFileName(c.dataFile, c.kind, c.user));
}

const LogNameCase kLogNames[] = {
    {"C:\\Cal\\Home.al0", 0, "Jane O'Neil", "C:\\Cal\\Home_dates_jane_o_neil_log.txt"},
    {"C:\\Cal\\Home.al0", 1, "A,B.C\tD E", "C:\\Cal\\Home_tasks_a_b_c_d_e_log.txt"},
    {"C:\\Cal\\Home", 0, "X", "C:\\Cal\\Home_dates_x_log.txt"},
    {"C:\\My.Cal\\Home", 0, "X", "C:\\My_dates_x_log.txt"},
    {"", 0, "", "_dates__log.txt"}};
INSTANTIATE_TEST_SUITE_P(Names, LogFileName, ::testing::ValuesIn(kLogNames));

TEST(LogFileNameOfLongNames, KeepsThemWhole) {
    const std::string longPath(5000, 'p');
    EXPECT_EQ(longPath + "_dates_" + std::string(300, 'u') + "_log.txt",
              BuildLogFileName(longPath, 0, std::string(300, 'U')));
}
