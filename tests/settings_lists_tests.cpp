// The user list and the application list, driven through DisplaySettings and
// DisplayUserSettings with the stand-in User Manager.
#include <gtest/gtest.h>

#include "common/reg_key.h"
#include "resources/twpalmui_ids.h"
#include "tests/foreign_fault_cases.h"
#include "tests/settings_fixture.h"
#include "tests/support/registry.h"
#include "tests/support/test_paths.h"

using namespace settingstexts;
using namespace testsupport;

class UserListTest : public SettingsTest {};

TEST_F(UserListTest, ListsRealUsersSortedAndSelectsTheLastOneIgnoringCase) {
    palm_.AddUser(5, "Jane O'Neil");
    palm_.AddUser(6, "Profile User", true);
    palm_.AddUser(7, "Unreadable", false, true);
    palm_.AddUser(0, "No Identifier");
    palm_.AddUser(8, "Skipped By Result", false, false, -1);
    palm_.AddUser(9, "bob");
    palm_.AddUser(10, "Alice");
    SetProfileString("Users", "LUN", "JANE o'neil");
    std::vector<std::string> items;
    int selection = -1;
    bool settingsEnabled = false;
    OnUserList([&](HWND dialog) {
        items = ListItems(dialog, IDC_USERS_LIST);
        selection = ListSelection(dialog, IDC_USERS_LIST);
        settingsEnabled = IsEnabled(dialog, IDC_USERS_SETTINGS);
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(0, DisplaySettings());
    EXPECT_EQ(std::vector<std::string>({"Alice", "bob", "Jane O'Neil"}), items);
    EXPECT_EQ(2, selection);
    EXPECT_TRUE(settingsEnabled);
    EXPECT_TRUE(boxes_.seen().empty());
    EXPECT_EQ(nullptr, GetModuleHandleA((palmDir_ + "\\UserData.dll").c_str()));
}

// "LUN" matches a listed name letter by letter, ignoring case as the system
// upper-cases: a linguistic comparison would also take "\xDF" for "ss" and
// "\xC6" for "AE", and select another user.
struct LastUserCase {
    const char* stored;
    const char* selected;
};

void PrintTo(const LastUserCase& c, std::ostream* out) { *out << c.stored; }

class UserListLastUser : public UserListTest, public ::testing::WithParamInterface<LastUserCase> {};

TEST_P(UserListLastUser, SelectsTheUserOfTheSameLettersOnly) {
    DWORD id = 5;
    for (const char* name : {"Stra\xDF" "e", "Strasse", "\xC6on", "AEon"}) palm_.AddUser(id++, name);
    SetProfileString("Users", "LUN", GetParam().stored);
    std::string selected;
    OnUserList([&](HWND dialog) {
        const int index = ListSelection(dialog, IDC_USERS_LIST);
        if (index >= 0) selected = ListItems(dialog, IDC_USERS_LIST)[index];
        Click(dialog, IDCANCEL);
    });
    DisplaySettings();
    EXPECT_EQ(GetParam().selected, selected);
}

INSTANTIATE_TEST_SUITE_P(Letters, UserListLastUser,
                         ::testing::Values(LastUserCase{"STRASSE", "Strasse"}, LastUserCase{"stra\xDF" "e", "Stra\xDF" "e"},
                                           LastUserCase{"aeon", "AEon"}, LastUserCase{"\xE6ON", "\xC6on"}));

TEST_F(UserListTest, UnknownLastUserSelectsTheFirst) {
    palm_.AddUser(5, "Zed");
    palm_.AddUser(6, "Amy");
    SetProfileString("Users", "LUN", "Nobody");
    int selection = -1;
    OnUserList([&](HWND dialog) {
        selection = ListSelection(dialog, IDC_USERS_LIST);
        Click(dialog, IDCANCEL);
    });
    DisplaySettings();
    EXPECT_EQ(0, selection);
}

TEST_F(UserListTest, NoUsersDisablesSettingsAndDoubleClickDoesNothing) {
    bool settingsEnabled = true;
    OnUserList([&](HWND dialog) {
        settingsEnabled = IsEnabled(dialog, IDC_USERS_SETTINGS);
        DoubleClickList(dialog, IDC_USERS_LIST);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_USERS_SETTINGS, BN_CLICKED), 0);
    });
    CloseUserList();
    EXPECT_EQ(0, DisplaySettings());
    EXPECT_FALSE(settingsEnabled);
    EXPECT_FALSE(ProfileKeyExists("Users\\"));
    EXPECT_EQ("<missing>", ProfileString("Users", "LUN"));
}

TEST_F(UserListTest, MissingUserManagerWarnsAndTheListStillWorks) {
    SetInstallValue("PDPath", palmDir_ + "\\nowhere");
    boxes_.Answer(IDOK);
    bool settingsEnabled = true;
    HWND userList = nullptr;
    OnUserList([&](HWND dialog) {
        userList = dialog;
        settingsEnabled = IsEnabled(dialog, IDC_USERS_SETTINGS);
        EXPECT_TRUE(ListItems(dialog, IDC_USERS_LIST).empty());
        Click(dialog, IDCANCEL);
    });
    DisplaySettings();
    ASSERT_EQ(1u, boxes_.seen().size());
    EXPECT_EQ(kNoPalmDesktop, boxes_.seen()[0].text);
    EXPECT_EQ(kProductCaption, boxes_.seen()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_TOPMOST | MB_ICONWARNING), boxes_.seen()[0].flags);
    EXPECT_EQ(userList, boxes_.seen()[0].owner);
    EXPECT_FALSE(settingsEnabled);
}

TEST_F(UserListTest, UserManagerLackingAFunctionCountsAsMissing) {
    for (const char* function : {"UmGetUserCount", "UmGetUserID", "UmGetUserName", "UmIsUserProfile"}) {
        palm_.PutVariant(std::string("userdata-without-") + function, "UserData.dll", palmDir_);
        palm_.AddUser(5, "Jane");
        MessageBoxDriver boxes;
        boxes.Answer(IDOK);
        OnUserList([&](HWND dialog) {
            EXPECT_TRUE(ListItems(dialog, IDC_USERS_LIST).empty()) << function;
            Click(dialog, IDCANCEL);
        });
        DisplaySettings();
        EXPECT_EQ(std::vector<std::string>{kNoPalmDesktop}, boxes.texts()) << function;
    }
    // UmIsUserInstalled is never called: a library without it still lists users.
    palm_.PutVariant("userdata-without-UmIsUserInstalled", "UserData.dll", palmDir_);
    std::vector<std::string> items;
    OnUserList([&](HWND dialog) {
        items = ListItems(dialog, IDC_USERS_LIST);
        Click(dialog, IDCANCEL);
    });
    DisplaySettings();
    EXPECT_FALSE(items.empty());
}

TEST_F(UserListTest, SystemMenuCarriesTheSummaryAfterASeparator) {
    std::string lastItem;
    UINT separatorState = 0;
    OnUserList([&](HWND dialog) {
        HMENU menu = GetSystemMenu(dialog, FALSE);
        const int count = GetMenuItemCount(menu);
        char text[64] = {};
        GetMenuStringA(menu, IDM_SUMMARY, text, sizeof text, MF_BYCOMMAND);
        lastItem = GetMenuItemID(menu, count - 1) == IDM_SUMMARY ? text : "";
        separatorState = GetMenuState(menu, count - 2, MF_BYPOSITION);
        Click(dialog, IDCANCEL);
    });
    DisplaySettings();
    EXPECT_EQ("S&ummary...", lastItem);
    EXPECT_TRUE(separatorState & MF_SEPARATOR);
}

class AppListTest : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        palm_.AddUser(5, "Jane");
    }
    // Opens the application list for Jane and runs check on it, then closes both.
    void InspectAppList(const std::function<void(HWND userList, HWND appList)>& check) {
        HWND userList = nullptr;
        OnUserList([&](HWND dialog) {
            userList = dialog;
            Click(dialog, IDC_USERS_SETTINGS);
        });
        OnAppList([&](HWND appList) {
            check(userList, appList);
            Click(appList, IDCANCEL);
        });
        CloseUserList();
        DisplaySettings();
    }
};

TEST_F(AppListTest, ShowsBothConduitsTheUserAndAHiddenHelpButton) {
    InspectAppList([&](HWND, HWND appList) {
        EXPECT_EQ(std::vector<std::string>({"Date Book", "To Do List"}), ListItems(appList, IDC_APPS_LIST));
        EXPECT_EQ("Jane", ControlText(appList, IDC_APPS_USER));
        EXPECT_EQ(0, ListSelection(appList, IDC_APPS_LIST));
        EXPECT_FALSE(IsVisible(appList, IDC_HELP_BUTTON));
    });
    EXPECT_EQ("Jane", ProfileString("Users", "LUN"));
}

TEST_F(AppListTest, LastConduitIsClampedIntoTheList) {
    const DWORD storedValues[] = {7, static_cast<DWORD>(-3), 1};
    for (DWORD stored : storedValues) {
        SetProfileDword("Users\\Jane", "LUC", stored);
        const int expected = stored == static_cast<DWORD>(-3) ? 0 : 1;
        int selection = -1;
        InspectAppList([&](HWND, HWND appList) { selection = ListSelection(appList, IDC_APPS_LIST); });
        EXPECT_EQ(expected, selection) << static_cast<int>(stored);
    }
}

TEST_F(AppListTest, SitsCentredOnTheUserListWithTheSameBottom) {
    InspectAppList([&](HWND userList, HWND appList) {
        RECT parent = {}, own = {};
        GetWindowRect(userList, &parent);
        GetWindowRect(appList, &own);
        const int width = own.right - own.left;
        EXPECT_EQ(parent.left + ((parent.right - parent.left) - width) / 2, own.left);
        EXPECT_EQ(parent.bottom, own.bottom);
        EXPECT_EQ(GetWindow(appList, GW_OWNER), userList);
    });
}

TEST_F(AppListTest, ChoosingAConduitClosesTheListFirstAndReturnsToTheUserList) {
    HWND userList = nullptr;
    HWND settingsOwner = nullptr;
    bool appListGone = false;
    OnUserList([&](HWND dialog) {
        userList = dialog;
        DoubleClickList(dialog, IDC_USERS_LIST);
    });
    OnAppList([&](HWND appList) {
        SelectListItem(appList, IDC_APPS_LIST, 1);
        Click(appList, IDC_APPS_CHANGE);
    });
    dialogs_.On(kToDoListSettings, [&](HWND settings) {
        settingsOwner = GetWindow(settings, GW_OWNER);
        // Ended before the settings opened: hidden, so no longer found.
        appListGone = FindDialog(kUserListCaption, IDC_APPS_CHANGE) == nullptr;
        Click(settings, IDCANCEL);
    });
    OnUserList([&](HWND dialog) {
        EXPECT_EQ(userList, dialog);
        Click(dialog, IDCANCEL);
    });
    DisplaySettings();
    EXPECT_EQ(userList, settingsOwner);
    EXPECT_TRUE(appListGone);
    EXPECT_TRUE(ProfileDwordIs("Users\\Jane", "LUC", 1u));
    EXPECT_TRUE(boxes_.seen().empty());
}

TEST_F(AppListTest, MissingComponentWarningIsOwnedByTheListAndSettingsStillOpen) {
    SetInstallValue("Path", palmDir_ + "\\no product here");
    boxes_.Answer(IDOK);
    HWND appListWindow = nullptr;
    bool settingsOpened = false;
    OpenAppList();
    OnAppList([&](HWND appList) {
        appListWindow = appList;
        Click(appList, IDC_APPS_CHANGE);
    });
    dialogs_.On(kDateBookSettings, [&](HWND settings) {
        settingsOpened = true;
        Click(settings, IDCANCEL);
    });
    CloseUserList();
    DisplaySettings();
    EXPECT_TRUE(settingsOpened);
    ASSERT_EQ(1u, boxes_.seen().size());
    EXPECT_EQ(kMissingComponent, boxes_.seen()[0].text);
    EXPECT_EQ(kProductCaption, boxes_.seen()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_TOPMOST | MB_ICONWARNING), boxes_.seen()[0].flags);
    EXPECT_EQ(appListWindow, boxes_.seen()[0].owner);
}

class UserSettingsExportTest : public SettingsTest {};

TEST_F(UserSettingsExportTest, RefusesAnUnknownConduitOrAMissingNameWithoutEffect) {
    EXPECT_EQ(-1, DisplayUserSettings(2, "Jane"));
    EXPECT_EQ(-1, DisplayUserSettings(-1, "Jane"));
    EXPECT_EQ(-1, DisplayUserSettings(0, nullptr));
    EXPECT_EQ(-1, DisplayUserSettings(1, ""));
    EXPECT_TRUE(boxes_.seen().empty());
    EXPECT_FALSE(ProfileKeyExists("Users"));
    EXPECT_FALSE(ProfileKeyExists(""));
}

TEST_F(UserSettingsExportTest, WarnsWithoutTwpalmThenRecordsTheConduitAndOpensSettings) {
    SetInstallValue("Path", "");
    boxes_.Answer(IDOK);
    DWORD lastConduitWhenOpen = 99;
    HWND settingsOwner = reinterpret_cast<HWND>(1);
    dialogs_.On(kToDoListSettings, [&](HWND settings) {
        ProfileDword("Users\\Jane", "LUC", &lastConduitWhenOpen);
        settingsOwner = GetWindow(settings, GW_OWNER);
        Click(settings, IDCANCEL);
    });
    EXPECT_EQ(0, DisplayUserSettings(1, "Jane"));
    ASSERT_EQ(1u, boxes_.seen().size());
    EXPECT_EQ(kMissingComponent, boxes_.seen()[0].text);
    EXPECT_EQ(nullptr, boxes_.seen()[0].owner);
    EXPECT_EQ(1u, lastConduitWhenOpen);
    EXPECT_EQ(nullptr, settingsOwner);
}

// A damaged twpalm.dll whose verify export faults inside an exception frame
// of its own: the exception stays inside the check, which warns as for a
// missing library after the frame was unwound (its own cleanup ran); the host
// goes on. The kinds are the stand-in's "Fault" values.
const char kFaultingTwpalmKey[] = "Software\\Faulting twpalm Stand-in";

class FaultingVerify : public UserSettingsExportTest, public ::testing::WithParamInterface<ForeignFaultCase> {};

TEST_P(FaultingVerify, WarnsAndTheSettingsStillOpen) {
    SetInstallValue("Path", testsupport::StandInDir("faulting-twpalm"));
    DeleteKeyTree(HKEY_CURRENT_USER, kFaultingTwpalmKey);
    RegKey::Create(HKEY_CURRENT_USER, kFaultingTwpalmKey).WriteDword("Fault", GetParam().fault);
    boxes_.Answer(IDOK);
    bool settingsOpened = false;
    dialogs_.On(kDateBookSettings, [&](HWND settings) {
        settingsOpened = true;
        Click(settings, IDCANCEL);
    });
    EXPECT_EQ(0, DisplayUserSettings(0, "Jane"));
    EXPECT_EQ(DwordValue(1), ReadRawValue(HKEY_CURRENT_USER, kFaultingTwpalmKey, "Calls"));
    EXPECT_EQ(DwordValue(1), ReadRawValue(HKEY_CURRENT_USER, kFaultingTwpalmKey, "Searched"));
    EXPECT_EQ(DwordValue(1), ReadRawValue(HKEY_CURRENT_USER, kFaultingTwpalmKey, "Unwound"));
    ASSERT_EQ(1u, boxes_.seen().size());
    EXPECT_EQ(kMissingComponent, boxes_.seen()[0].text);
    EXPECT_EQ(kProductCaption, boxes_.seen()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_TOPMOST | MB_ICONWARNING), boxes_.seen()[0].flags);
    EXPECT_TRUE(settingsOpened);
    DeleteKeyTree(HKEY_CURRENT_USER, kFaultingTwpalmKey);
}

INSTANTIATE_TEST_SUITE_P(ForeignFaults, FaultingVerify, ForeignFaultCases());

TEST_F(UserSettingsExportTest, VerifyAskingAboutAnUnregisteredConduitIsNoMissingComponent) {
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Palm Desktop Stand-in\\Conduits\\date");
    HWND owner = CreateWindowA("STATIC", "caller", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    boxes_.Answer(IDNO);
    dialogs_.On(kDateBookSettings, Clicking(IDCANCEL));
    EXPECT_EQ(0, DisplayUserSettings(0, "Jane", owner));
    DestroyWindow(owner);
    ASSERT_EQ(1u, boxes_.seen().size());
    EXPECT_EQ(0u, boxes_.seen()[0].text.find(kSynchronizeQuestionStart));
    EXPECT_EQ(owner, boxes_.seen()[0].owner);
    EXPECT_FALSE(palm_.HasConduit("date"));
    EXPECT_EQ(nullptr, GetModuleHandleA((productDir_ + "\\twpalm.dll").c_str()));
}
