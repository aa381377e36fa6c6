// The conduit settings dialog and the HotSync Action dialog, through
// DisplayUserSettings: what they show, what OK writes, what Cancel keeps.
#include <gtest/gtest.h>

#include <vector>

#include "common/reg_key.h"
#include "resources/twpalmui_ids.h"
#include "tests/settings_fixture.h"
#include "tests/support/private_classes.h"
#include "tests/support/test_paths.h"
#include "tests/support/url_recorder.h"

using namespace settingstexts;
using namespace testsupport;

namespace {

const int kOpenFileNameBox = 0x47C;

LONG FontWeight(HWND control) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    LOGFONTA description = {};
    if (!font || !GetObjectA(font, sizeof description, &description)) return 0;
    return description.lfWeight;
}

// The open-file dialog takes a typed name and OK.
void ChooseFile(HWND open, const std::string& path) {
    SetWindowTextA(GetDlgItem(open, kOpenFileNameBox), path.c_str());
    PostMessageA(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

std::vector<std::string> ValueNames(const std::string& keyPath) {
    std::vector<std::string> names;
    RegKey key = RegKey::Open(HKEY_CURRENT_USER, keyPath.c_str());
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD length = sizeof name;
        if (RegEnumValueA(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.push_back(name);
    }
    return names;
}

}  // namespace

class ConduitSettingsTest : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        MakeDataFile();
    }
    const std::string janeDateBook_ = "Users\\Jane\\DateBook";
};

TEST_F(ConduitSettingsTest, FreshUserShowsTheDefaults) {
    struct Shown {
        std::string user, file, permanent, oneTime;
        bool hidden = true, isPrivate = true, duplicate = false, almanorWins = true, viewLog = true;
        LONG headerWeight = 0, userWeight = 0;
        LONG_PTR headerExStyle = -1;
    } shown;
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        shown.user = ControlText(d, IDC_SETTINGS_USER);
        shown.file = ControlText(d, IDC_SETTINGS_FILE);
        shown.permanent = ControlText(d, IDC_SETTINGS_PERMANENT);
        shown.oneTime = ControlText(d, IDC_SETTINGS_ONE_TIME);
        shown.hidden = IsChecked(d, IDC_SETTINGS_HIDDEN);
        shown.isPrivate = IsChecked(d, IDC_SETTINGS_PRIVATE);
        shown.duplicate = IsChecked(d, IDC_SETTINGS_DUPLICATE);
        shown.almanorWins = IsChecked(d, IDC_SETTINGS_ALMANOR_WINS);
        shown.viewLog = IsEnabled(d, IDC_SETTINGS_VIEW_LOG);
        shown.headerWeight = FontWeight(GetDlgItem(d, IDC_SETTINGS_FILTERS_HEADER));
        shown.userWeight = FontWeight(GetDlgItem(d, IDC_SETTINGS_USER));
        shown.headerExStyle = GetWindowLongPtrA(GetDlgItem(d, IDC_SETTINGS_HEADER), GWL_EXSTYLE);
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(0, DisplayUserSettings(0, "Jane"));
    EXPECT_EQ("Jane", shown.user);
    EXPECT_EQ("", shown.file);
    EXPECT_EQ(kSynchronize, shown.permanent);
    EXPECT_EQ(kSynchronize, shown.oneTime);
    EXPECT_FALSE(shown.hidden);
    EXPECT_FALSE(shown.isPrivate);
    EXPECT_TRUE(shown.duplicate);
    EXPECT_FALSE(shown.almanorWins);
    EXPECT_FALSE(shown.viewLog);
    EXPECT_EQ(FW_BOLD, shown.headerWeight);
    EXPECT_NE(FW_BOLD, shown.userWeight);
    EXPECT_EQ(0, shown.headerExStyle & WS_EX_STATICEDGE);
    EXPECT_TRUE(boxes_.seen().empty());
}

TEST_F(ConduitSettingsTest, CaptionNamesTheConduit) {
    bool toDoListShown = false;
    dialogs_.On(kToDoListSettings, [&](HWND d) {
        toDoListShown = true;
        Click(d, IDCANCEL);
    });
    DisplayUserSettings(1, "Jane");
    EXPECT_TRUE(toDoListShown);
}

TEST_F(ConduitSettingsTest, StoredValuesOutOfRangeAreShownNormalised) {
    SetProfileString("Users\\Jane", "Path", dataFile_);
    SetProfileDword(janeDateBook_, "Hidden", 5);
    SetProfileDword(janeDateBook_, "Private", 0);
    SetProfileDword(janeDateBook_, "Conflicts", 9);
    SetProfileDword(janeDateBook_, "Permanent", 7);
    SetProfileDword(janeDateBook_, "Temporary", static_cast<DWORD>(-5));
    std::string file, permanent, oneTime;
    bool hidden = false, handheldWins = false;
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        file = ControlText(d, IDC_SETTINGS_FILE);
        permanent = ControlText(d, IDC_SETTINGS_PERMANENT);
        oneTime = ControlText(d, IDC_SETTINGS_ONE_TIME);
        hidden = IsChecked(d, IDC_SETTINGS_HIDDEN);
        handheldWins = IsChecked(d, IDC_SETTINGS_HANDHELD_WINS);
        Click(d, IDCANCEL);
    });
    DisplayUserSettings(0, "Jane");
    EXPECT_EQ(dataFile_, file);
    EXPECT_TRUE(hidden);
    EXPECT_TRUE(handheldWins);
    EXPECT_EQ(kDoNothing, permanent);
    EXPECT_EQ(kDoNothing, oneTime);  // no one-time action: the permanent one shows
    // Nothing is written back on load.
    EXPECT_TRUE(ProfileDwordIs(janeDateBook_, "Conflicts", 9u));
}

TEST_F(ConduitSettingsTest, ActionsChosenInTheActionDialogAreSavedOnOk) {
    SetProfileString("Users\\Jane", "Path", dataFile_);
    SetProfileDword(janeDateBook_, "Permanent", 2);
    int permanentChecked = -1, oneTimeChecked = -1;
    std::string permanentLabel, oneTimeLabel;
    dialogs_.On(kDateBookSettings, Clicking(IDC_SETTINGS_CHANGE));
    dialogs_.On(kActionCaption, [&](HWND a) {
        for (int i = 0; i < 4; ++i) {
            if (IsChecked(a, IDC_ACTION_PERMANENT_FIRST + i)) permanentChecked = i;
            if (IsChecked(a, IDC_ACTION_ONE_TIME_FIRST + i)) oneTimeChecked = i;
        }
        EXPECT_EQ(FW_BOLD, FontWeight(GetDlgItem(a, IDC_ACTION_PERMANENT_GROUP)));
        SetCheck(a, IDC_ACTION_PERMANENT_FIRST + 3, true);
        Click(a, IDOK);
    });
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        permanentLabel = ControlText(d, IDC_SETTINGS_PERMANENT);
        oneTimeLabel = ControlText(d, IDC_SETTINGS_ONE_TIME);
        SetCheck(d, IDC_SETTINGS_PRIVATE, true);
        SetCheck(d, IDC_SETTINGS_ALMANOR_WINS, true);
        Click(d, IDOK);
    });
    DisplayUserSettings(0, "Jane");
    EXPECT_EQ(2, permanentChecked);
    EXPECT_EQ(-1, oneTimeChecked);
    EXPECT_EQ(kDoNothing, permanentLabel);
    EXPECT_EQ(kDoNothing, oneTimeLabel);
    EXPECT_TRUE(ProfileDwordIs(janeDateBook_, "Permanent", 3u));
    EXPECT_TRUE(ProfileDwordIs(janeDateBook_, "Temporary", 0xFFFFFFFFu));
    EXPECT_TRUE(ProfileDwordIs(janeDateBook_, "Hidden", 0u));
    EXPECT_TRUE(ProfileDwordIs(janeDateBook_, "Private", 1u));
    EXPECT_TRUE(ProfileDwordIs(janeDateBook_, "Conflicts", 1u));
    EXPECT_EQ(dataFile_, ProfileString("Users\\Jane", "Path"));
    // The five conduit values and nothing else (the registry lists them by name).
    EXPECT_EQ(std::vector<std::string>({"Conflicts", "Hidden", "Permanent", "Private", "Temporary"}),
              ValueNames("Software\\Quillon Software\\Orvelle\\" + janeDateBook_));
}

TEST_F(ConduitSettingsTest, OneTimeActionRoundTripsThroughTheActionDialog) {
    SetProfileString("Users\\Jane", "Path", dataFile_);
    SetProfileDword(janeDateBook_, "Temporary", 1);
    int oneTimeChecked = -1;
    dialogs_.On(kDateBookSettings, Clicking(IDC_SETTINGS_CHANGE));
    dialogs_.On(kActionCaption, [&](HWND a) {
        for (int i = 0; i < 4; ++i) {
            if (IsChecked(a, IDC_ACTION_ONE_TIME_FIRST + i)) oneTimeChecked = i;
        }
        SetCheck(a, IDC_ACTION_ONE_TIME_FIRST + 2, true);
        Click(a, IDOK);
    });
    std::string oneTimeLabel;
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        oneTimeLabel = ControlText(d, IDC_SETTINGS_ONE_TIME);
        Click(d, IDOK);
    });
    DisplayUserSettings(0, "Jane");
    EXPECT_EQ(1, oneTimeChecked);
    EXPECT_EQ(kHandheldOverwrites, oneTimeLabel);
    EXPECT_TRUE(ProfileDwordIs(janeDateBook_, "Temporary", 2u));
}

TEST_F(ConduitSettingsTest, CancelWritesNothingWhateverChanged) {
    const std::string otherFile = productDir_ + "\\Other.al0";
    WriteTextFile(otherFile, "calendar");
    SetProfileString("Users\\Jane", "Path", dataFile_);
    dialogs_.On(kDateBookSettings, Clicking(IDC_SETTINGS_CHANGE));
    dialogs_.On(kActionCaption, [&](HWND a) {
        SetCheck(a, IDC_ACTION_PERMANENT_FIRST + 1, true);
        Click(a, IDOK);
    });
    dialogs_.On(kDateBookSettings, Clicking(IDC_SETTINGS_BROWSE));
    dialogs_.On(kOpenCaption, [&](HWND open) { ChooseFile(open, otherFile); });
    std::string fileShown;
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        fileShown = ControlText(d, IDC_SETTINGS_FILE);
        SetCheck(d, IDC_SETTINGS_HIDDEN, true);
        Click(d, IDCANCEL);
    });
    DisplayUserSettings(0, "Jane");
    EXPECT_EQ(otherFile, fileShown);
    EXPECT_EQ(dataFile_, ProfileString("Users\\Jane", "Path"));
    EXPECT_TRUE(ValueNames("Software\\Quillon Software\\Orvelle\\" + janeDateBook_).empty());
}

TEST_F(ConduitSettingsTest, CancelInTheActionDialogKeepsTheActions) {
    SetProfileDword(janeDateBook_, "Permanent", 1);
    std::string permanentLabel;
    dialogs_.On(kDateBookSettings, Clicking(IDC_SETTINGS_CHANGE));
    dialogs_.On(kActionCaption, [&](HWND a) {
        SetCheck(a, IDC_ACTION_PERMANENT_FIRST + 3, true);
        Click(a, IDCANCEL);
    });
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        permanentLabel = ControlText(d, IDC_SETTINGS_PERMANENT);
        Click(d, IDCANCEL);
    });
    DisplayUserSettings(0, "Jane");
    EXPECT_EQ(kAlmanorOverwrites, permanentLabel);
}

TEST_F(ConduitSettingsTest, MissingDataFileIsRefusedUntilAnotherIsChosen) {
    const std::string gone = productDir_ + "\\Gone.al0";
    SetProfileString("Users\\Jane", "Path", gone);
    boxes_.Answer(IDOK);
    std::string fileShown;
    HWND settings = nullptr;
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        settings = d;
        fileShown = ControlText(d, IDC_SETTINGS_FILE);
        Click(d, IDOK);
    });
    dialogs_.On(kDateBookSettings, Clicking(IDC_SETTINGS_BROWSE));
    dialogs_.On(kOpenCaption, [&](HWND open) { ChooseFile(open, dataFile_); });
    dialogs_.On(kDateBookSettings, Clicking(IDOK));
    DisplayUserSettings(0, "Jane");
    EXPECT_EQ(gone, fileShown);
    ASSERT_EQ(1u, boxes_.seen().size());
    EXPECT_EQ(kSelectDataFile, boxes_.seen()[0].text);
    EXPECT_EQ(kProductCaption, boxes_.seen()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONWARNING), boxes_.seen()[0].flags);
    EXPECT_EQ(settings, boxes_.seen()[0].owner);
    EXPECT_EQ(dataFile_, ProfileString("Users\\Jane", "Path"));
}

TEST_F(ConduitSettingsTest, EmptyDataFileIsRefusedAndNothingIsWritten) {
    boxes_.Answer(IDOK);
    dialogs_.On(kDateBookSettings, Clicking(IDOK));
    dialogs_.On(kDateBookSettings, Clicking(IDCANCEL));
    DisplayUserSettings(0, "Jane");
    EXPECT_EQ(std::vector<std::string>{kSelectDataFile}, boxes_.texts());
    EXPECT_EQ("<missing>", ProfileString("Users\\Jane", "Path"));
}

TEST_F(ConduitSettingsTest, ViewLogFollowsTheLogOfTheChosenFile) {
    const std::string withLog = productDir_ + "\\Work.al0";
    WriteTextFile(withLog, "calendar");
    WriteTextFile(productDir_ + "\\Work_dates_jane_o_neil_log.txt", "log");
    SetProfileString("Users\\Jane O'Neil", "Path", dataFile_);
    bool enabledBefore = true, enabledAfter = false;
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        enabledBefore = IsEnabled(d, IDC_SETTINGS_VIEW_LOG);
        Click(d, IDC_SETTINGS_BROWSE);
    });
    dialogs_.On(kOpenCaption, [&](HWND open) { ChooseFile(open, withLog); });
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        enabledAfter = IsEnabled(d, IDC_SETTINGS_VIEW_LOG);
        Click(d, IDCANCEL);
    });
    DisplayUserSettings(0, "Jane O'Neil");
    EXPECT_FALSE(enabledBefore);
    EXPECT_TRUE(enabledAfter);
}

TEST_F(ConduitSettingsTest, ViewLogIsEnabledWhenTheStoredFilesLogExists) {
    SetProfileString("Users\\Jane", "Path", dataFile_);
    WriteTextFile(productDir_ + "\\Home_tasks_jane_log.txt", "log");
    bool toDoEnabled = false, dateBookEnabled = true;
    dialogs_.On(kToDoListSettings, [&](HWND d) {
        toDoEnabled = IsEnabled(d, IDC_SETTINGS_VIEW_LOG);
        Click(d, IDCANCEL);
    });
    DisplayUserSettings(1, "Jane");
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        dateBookEnabled = IsEnabled(d, IDC_SETTINGS_VIEW_LOG);
        Click(d, IDCANCEL);
    });
    DisplayUserSettings(0, "Jane");
    EXPECT_TRUE(toDoEnabled);
    EXPECT_FALSE(dateBookEnabled);
}

TEST_F(ConduitSettingsTest, BothConduitsShareTheDataFile) {
    const std::string newFile = productDir_ + "\\Shared.al0";
    WriteTextFile(newFile, "calendar");
    SetProfileString("Users\\Jane", "Path", dataFile_);
    dialogs_.On(kToDoListSettings, Clicking(IDC_SETTINGS_BROWSE));
    dialogs_.On(kOpenCaption, [&](HWND open) { ChooseFile(open, newFile); });
    dialogs_.On(kToDoListSettings, Clicking(IDOK));
    DisplayUserSettings(1, "Jane");
    std::string dateBookFile;
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        dateBookFile = ControlText(d, IDC_SETTINGS_FILE);
        Click(d, IDCANCEL);
    });
    DisplayUserSettings(0, "Jane");
    EXPECT_EQ(newFile, dateBookFile);
}

TEST_F(ConduitSettingsTest, EnterInTheSettingsDialogValidatesLikeOk) {
    boxes_.Answer(IDOK);
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    dialogs_.On(kDateBookSettings, Clicking(IDCANCEL));
    DisplayUserSettings(0, "Jane");
    EXPECT_EQ(std::vector<std::string>{kSelectDataFile}, boxes_.texts());
}

TEST_F(ConduitSettingsTest, ViewLogOpensTheLogInTheProgramForTextFiles) {
    PrivateClasses classes;
    ASSERT_TRUE(classes.overridden());
    const std::string record = productDir_ + "\\opened.txt";
    ASSERT_TRUE(RecordTextFileOpens(record));
    const std::string log = productDir_ + "\\Home_dates_jane_log.txt";
    WriteTextFile(log, "log");
    SetProfileString("Users\\Jane", "Path", dataFile_);
    dialogs_.On(kDateBookSettings, [&](HWND d) { Click(d, IDC_SETTINGS_VIEW_LOG); });
    dialogs_.On(kDateBookSettings, Clicking(IDCANCEL));
    DisplayUserSettings(0, "Jane");
    EXPECT_EQ(log + "\n", RecordedOpens(record));
    EXPECT_TRUE(boxes_.seen().empty());
}
