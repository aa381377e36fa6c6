// The settings library's helpers, linked in directly: operating-system
// class, Almanor's folders, file tests, error texts and boxes, and the
// conduit settings storage.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "common/reg_key.h"
#include "common/windows_version.h"
#include "framework/application.h"
#include "resources/twpalmui_ids.h"
#include "settings/conduit_settings.h"
#include "tests/support/message_box_driver.h"
#include "tests/support/product_state.h"
#include "tests/support/test_paths.h"
#include "tests/support/windows_versions.h"
#include "settings/almanor_paths.h"
#include "settings/file_checks.h"
#include "ui/messages.h"
#include "common/os_class.h"

using namespace testsupport;

namespace {

const char kAlmanorInstall[] = "SOFTWARE\\Quillon Software\\Almanor\\Install";
const char kAlmanorCommon[] = "SOFTWARE\\Quillon Software\\Almanor\\Common";

int PrintOsClass(const std::string&) {
    std::printf("%d %d", GetOsClass(), IsVistaOrLater() ? 1 : 0);
    return 0;
}
int PrintAlmanorPath(const std::string&) {
    std::printf("[%s]", ReadAlmanorInstallValue("Path").c_str());
    return 0;
}
int PrintDataDir(const std::string&) {
    std::printf("[%s]", GetAlmanorDataDir().c_str());
    return 0;
}
ChildRegistration osClassChild("os-class", PrintOsClass);
ChildRegistration almanorPathChild("almanor-path", PrintAlmanorPath);
ChildRegistration dataDirChild("data-dir", PrintDataDir);

class HelperTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProductState();
        DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quillon Software");
        scratch_ = MakeScratchDir("helpers");
    }
    void TearDown() override {
        ResetProductState();
        RemoveTree(scratch_);
    }
    std::string scratch_;
};

}  // namespace

TEST(OsClass, ClassifiesEveryFamilyAndVersion) {
    EXPECT_EQ(kOsOld9x, ClassifyOs(true, 3, 95));
    EXPECT_EQ(kOsOldNt, ClassifyOs(false, 3, 51));
    EXPECT_EQ(kOsWindows95, ClassifyOs(true, 4, 0));
    EXPECT_EQ(kOsWindows95, ClassifyOs(true, 4, 3));
    EXPECT_EQ(kOsWindows98, ClassifyOs(true, 4, 10));
    EXPECT_EQ(kOsWindowsMe, ClassifyOs(true, 4, 90));
    EXPECT_EQ(kOsNt4, ClassifyOs(false, 4, 0));
    EXPECT_EQ(kOsWindows2000, ClassifyOs(false, 5, 0));
    EXPECT_EQ(kOsWindowsXp, ClassifyOs(false, 5, 1));
    EXPECT_EQ(kOsWindowsXp, ClassifyOs(false, 5, 2));
    EXPECT_EQ(kOsVistaOrLater, ClassifyOs(false, 6, 0));
    EXPECT_EQ(kOsVistaOrLater, ClassifyOs(false, 10, 0));
}

TEST(OsClass, IsDecidedAtLoadUnderEachWindowsVersion) {
    const struct {
        const char* version;
        const char* expected;
    } cases[] = {{"win95", "2 0"}, {"win98", "3 0"}, {"winme", "4 0"}, {"nt40", "5 0"}, {"win2k", "6 0"},
                 {"winxp", "7 0"}, {"win2003", "7 0"}, {"vista", "8 1"}, {"win7", "8 1"}};
    for (const auto& c : cases) EXPECT_EQ(c.expected, RunChildAs(c.version, "os-class").output) << c.version;
}

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

TEST(Resources, StringTableEntries) {
    EXPECT_EQ("Orvelle", LoadResString(IDS_APP_TITLE));
    EXPECT_EQ("S&ummary...", LoadResString(IDS_SUMMARY_MENU));
    EXPECT_EQ("Tidewell for Palm", LoadResString(IDS_CAPTION));
    EXPECT_EQ("Almanor Data File (*.al0)|*.al0|All Files (*.*)|*.*||", LoadResString(IDS_OPEN_FILTER));
    EXPECT_EQ("", LoadResString(4242));
    EXPECT_GT(LoadResString(IDS_LEGAL_WARNING).size(), 200u);
}

TEST_F(HelperTest, ConduitSettingsDefaultsAndNormalisation) {
    const ConduitSettings fresh = LoadConduitSettings("Jane", 0);
    EXPECT_EQ("", fresh.dataFile);
    EXPECT_FALSE(fresh.syncHidden);
    EXPECT_FALSE(fresh.syncPrivate);
    EXPECT_EQ(0, fresh.conflicts);
    EXPECT_EQ(0, fresh.permanentAction);
    EXPECT_EQ(-1, fresh.oneTimeAction);

    RegKey section = RegKey::Create(HKEY_CURRENT_USER, "Software\\Quillon Software\\Orvelle\\Users\\Jane\\ToDoList");
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
    RegKey section = RegKey::Open(HKEY_CURRENT_USER, "Software\\Quillon Software\\Orvelle\\Users\\Jane\\ToDoList");
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

TEST(LogFileName, FollowsTheDataFileAndTheUser) {
    EXPECT_EQ("C:\\Cal\\Home_dates_jane_o_neil_log.txt", BuildLogFileName("C:\\Cal\\Home.al0", 0, "Jane O'Neil"));
    EXPECT_EQ("C:\\Cal\\Home_tasks_a_b_c_d_e_log.txt", BuildLogFileName("C:\\Cal\\Home.al0", 1, "A,B.C\tD E"));
    EXPECT_EQ("C:\\Cal\\Home_dates_x_log.txt", BuildLogFileName("C:\\Cal\\Home", 0, "X"));
    EXPECT_EQ("C:\\My_dates_x_log.txt", BuildLogFileName("C:\\My.Cal\\Home", 0, "X"));
    EXPECT_EQ("_dates__log.txt", BuildLogFileName("", 0, ""));
    const std::string longPath(5000, 'p');
    EXPECT_EQ(longPath + "_dates_" + std::string(300, 'u') + "_log.txt",
              BuildLogFileName(longPath, 0, std::string(300, 'U')));
}
