// The settings library's dialogs driven by the keyboard alone: the user
// list (199), the application list (30763), the conduit settings (30738), the
// HotSync Action dialog (2001) and the About box (5101). Keys go in as real
// keyboard input (SendInput) to the dialog, which is made the foreground
// window; the dialog manager does the rest. For each dialog: Tab visits the
// tab stops in the order of the resource script, Enter does the default
// button's work, Esc cancels and writes nothing, and every mnemonic reaches
// its control.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "common/reg_key.h"
#include "resources/twpalmui_ids.h"
#include "tests/support/registry_snapshot.h"
#include "tests/settings_fixture.h"
#include "tests/support/help_engine_calls.h"
#include "tests/support/private_classes.h"
#include "tests/support/test_paths.h"
#include "tests/support/url_recorder.h"

using namespace settingstexts;
using namespace testsupport;

namespace {

enum Modifier { kPlain, kAlt, kShift };

// One key press as real keyboard input to window, made the foreground window
// first so that the input reaches it. It is handled once the action returns
// to the dialog's message loop, before the driver's next step.
void Press(HWND window, WORD key, Modifier modifier = kPlain) {
    if (GetForegroundWindow() != window) SetForegroundWindow(window);
    EXPECT_EQ(window, GetForegroundWindow()) << "the keys would go to another window";
    std::vector<INPUT> inputs;
    const auto add = [&](WORD virtualKey, bool up) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = virtualKey;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, 0));
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    const WORD held = modifier == kAlt ? VK_MENU : modifier == kShift ? VK_SHIFT : 0;
    if (held) add(held, false);
    add(key, false);
    add(key, true);
    if (held) add(held, true);
    EXPECT_EQ(inputs.size(), SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)));
}

// A driver action that presses the key.
DialogDriver::Action Pressing(WORD key, Modifier modifier = kPlain) {
    return [key, modifier](HWND d) { Press(d, key, modifier); };
}

int FocusId() { return GetFocus() ? GetDlgCtrlID(GetFocus()) : 0; }

// The tab stops as the dialog manager walks them, from the first.
std::vector<int> TabStops(HWND dialog) {
    std::vector<int> ids;
    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    for (HWND item = first; item && ids.size() < 32;) {
        ids.push_back(GetDlgCtrlID(item));
        item = GetNextDlgTabItem(dialog, item, FALSE);
        if (item == first) break;
    }
    return ids;
}

// What the keys did: the control with the focus after each step.
struct FocusTrail {
    std::vector<int> ids;
};

// Tab from the first stop round the dialog and back, then Shift+Tab the
// other way round: the trail of a dialog with stops {a, b, c}.
std::vector<int> RoundTrip(const std::vector<int>& stops) {
    std::vector<int> trail = stops;
    trail.push_back(stops.front());
    for (size_t i = stops.size(); i-- > 0;) trail.push_back(stops[i]);
    return trail;
}

// Adds the steps of that round trip: each notes the focus, then presses.
void AddRoundTrip(DialogDriver& driver, const std::string& caption, int controlId, size_t stops, FocusTrail* trail) {
    for (size_t i = 0; i < stops; ++i) {
        driver.On(caption, controlId, [=](HWND d) {
            trail->ids.push_back(FocusId());
            Press(d, VK_TAB);
        });
    }
    // Back from where the walk ended, noting the focus after each press.
    for (size_t i = 0; i < stops; ++i) {
        driver.On(caption, controlId, [=](HWND d) {
            trail->ids.push_back(FocusId());
            Press(d, VK_TAB, kShift);
        });
    }
    driver.On(caption, controlId, [=](HWND) { trail->ids.push_back(FocusId()); });
}

// The mnemonics of a dialog's controls: letter -> control ids, in the order
// of the controls. Statics without prefix processing have none.
std::map<char, std::vector<int>> Mnemonics(HWND dialog) {
    std::map<char, std::vector<int>> mnemonics;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[32] = {};
        GetClassNameA(child, className, sizeof className);
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        if (lstrcmpiA(className, "Static") == 0 && (style & SS_NOPREFIX)) continue;
        const std::string text = WindowText(child);
        for (size_t at = text.find('&'); at != std::string::npos && at + 1 < text.size();
             at = text.find('&', at + 2)) {
            if (text[at + 1] == '&') continue;
            mnemonics[static_cast<char>(std::toupper(static_cast<unsigned char>(text[at + 1])))].push_back(
                GetDlgCtrlID(child));
            break;
        }
    }
    return mnemonics;
}

std::string Describe(const std::map<char, std::vector<int>>& mnemonics) {
    std::string text;
    for (const auto& entry : mnemonics) {
        text += std::string(text.empty() ? "" : " ") + entry.first + "=";
        for (size_t i = 0; i < entry.second.size(); ++i) text += (i ? "," : "") + std::to_string(entry.second[i]);
    }
    return text;
}

// The letters that lead to more than one control.
std::string SharedLetters(const std::map<char, std::vector<int>>& mnemonics) {
    std::string letters;
    for (const auto& entry : mnemonics) {
        if (entry.second.size() > 1) letters += entry.first;
    }
    return letters;
}

// How a dialog is reached by keys: from the export that shows the first
// dialog, through the dialogs below it.
enum class Route { kUserList, kAppList, kSettings, kActions, kAbout };

// A value of Jane's Date Book settings stored before the dialog opens.
struct Preset {
    const char* name;
    DWORD value;
};

// A dialog as its resource script writes it, and how the keyboard reaches it.
struct KeyboardDialog {
    const char* name;
    Route route;
    const char* caption;
    int controlId;  // a control only this dialog of the caption has, or 0
    std::vector<Preset> presets;
    std::vector<int> stops;      // in the order of the script; the first has the focus at first
    const char* mnemonics;       // letter=control ids
    const char* sharedLetters;   // letters leading to more than one control
    std::vector<WORD> keysBeforeEsc;  // keys that change what the dialog shows
};

const KeyboardDialog kDialogs[] = {
    // Statics, "Select a &user:", the list 1126, "&Settings..." 2005,
    // "&About..." 2000, "&Help" 57670, "Close" 2.
    {"UserList", Route::kUserList, kUserListCaption, IDC_USERS_SETTINGS, {},
     {IDC_USERS_LIST, IDC_USERS_SETTINGS, IDC_USERS_ABOUT, IDC_HELP_BUTTON, IDCANCEL},
     "A=2000 H=57670 S=2005 U=1022", "", {VK_DOWN}},
    // Statics, "&Applications:", the list 1126, "&Change..." 2004, the
    // hidden "&Help" 57670 (no stop), "Close" 2.
    {"AppList", Route::kAppList, kUserListCaption, IDC_APPS_CHANGE, {},
     {IDC_APPS_LIST, IDC_APPS_CHANGE, IDCANCEL}, "A=1022 C=2004 H=57670", "", {VK_DOWN}},
    // The file 1118 (its label "&File" 65535), "Bro&wse..." 1051,
    // "Chan&ge..." 1053, the check boxes 1187 and 1190, the conflict group
    // 1084-1086 (its stop is the checked button: Handheld wins), OK 1,
    // Cancel 2, "&View Log" 1052. "&Almanor wins" and "H&andheld wins" share A.
    {"ConduitSettings", Route::kSettings, kDateBookSettings, 0, {{"Conflicts", 2}},
     {IDC_SETTINGS_FILE, IDC_SETTINGS_BROWSE, IDC_SETTINGS_CHANGE, IDC_SETTINGS_HIDDEN, IDC_SETTINGS_PRIVATE,
      IDC_SETTINGS_HANDHELD_WINS, IDOK, IDCANCEL, IDC_SETTINGS_VIEW_LOG},
     "A=1085,1086 D=1084 F=65535 G=1053 H=1187 P=1190 V=1052 W=1051", "A", {}},
    // Group box, the permanent group 1084-1087, group box, the one-time
    // group 1088-1091, OK 1, Cancel 2. A group's stop is its checked button,
    // or its first when none is checked (no one-time action).
    {"HotSyncAction", Route::kActions, kActionCaption, 0, {{"Permanent", 2}},
     {IDC_ACTION_PERMANENT_FIRST + 2, IDC_ACTION_ONE_TIME_FIRST, IDOK, IDCANCEL},
     "A=1085 D=1090 G=1091 H=1086 N=1087 R=1089 S=1084 Y=1088", "", {}},
    // OK is the box's only stop; it has no mnemonics.
    {"AboutBox", Route::kAbout, kAboutCaption, 0, {}, {IDOK}, "", "", {}},
};

std::vector<KeyboardDialog> DialogsNamed(const std::vector<std::string>& names) {
    std::vector<KeyboardDialog> chosen;
    for (const KeyboardDialog& dialog : kDialogs) {
        for (const std::string& name : names) {
            if (name == dialog.name) chosen.push_back(dialog);
        }
    }
    return chosen;
}

std::string DialogName(const ::testing::TestParamInfo<KeyboardDialog>& info) { return info.param.name; }

// GoogleTest names an instance's dialog by this instead of dumping its bytes.
void PrintTo(const KeyboardDialog& dialog, std::ostream* out) { *out << dialog.name; }

}  // namespace

class KeyboardTest : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        palm_.AddUser(5, "Jane");
        palm_.AddUser(6, "Zed");
        MakeDataFile();
        // Jane's settings open with a usable data file whose log exists (View Log enabled).
        SetProfileString("Users\\Jane", "Path", dataFile_);
        WriteTextFile(productDir_ + "\\Home_dates_jane_log.txt", "log");
    }
    void TearDown() override {
        EXPECT_TRUE(dialogs_.finished()) << "steps of the dialog script were left";
        SettingsTest::TearDown();
    }

    // The export that shows the route's first dialog, for Jane's Date Book.
    int Display(Route route) {
        return route == Route::kSettings || route == Route::kActions ? DisplayUserSettings(0, "Jane")
                                                                     : DisplaySettings();
    }
    // Steps that reach the route's dialog by keys from the first.
    void OpenByKeys(Route route) {
        switch (route) {
        case Route::kAppList: OnUserList(Pressing(VK_RETURN)); break;
        case Route::kActions: dialogs_.On(kDateBookSettings, Pressing('G', kAlt)); break;
        case Route::kAbout: OnUserList(Pressing('A', kAlt)); break;
        case Route::kUserList:
        case Route::kSettings: break;
        }
    }
    // Steps that close the dialogs below the route's dialog by Esc.
    void CloseParentsByKeys(Route route) {
        switch (route) {
        case Route::kAppList:
        case Route::kAbout: OnUserList(Pressing(VK_ESCAPE)); break;
        case Route::kActions: dialogs_.On(kDateBookSettings, Pressing(VK_ESCAPE)); break;
        case Route::kUserList:
        case Route::kSettings: break;
        }
    }
    // Reaches the route's dialog by keys, adds the steps of `steps`, closes
    // the dialogs below by Esc and checks that the export succeeded.
    void WithDialog(Route route, const std::function<void()>& steps) {
        OpenByKeys(route);
        steps();
        CloseParentsByKeys(route);
        EXPECT_EQ(0, Display(route));
    }

    const std::string janeDateBook_ = "Users\\Jane\\DateBook";
};

// ---------------------------------------------------------------------------
// Every dialog: Tab order, mnemonics, Esc.

class KeyboardDialogTest : public KeyboardTest, public ::testing::WithParamInterface<KeyboardDialog> {
protected:
    void SetUp() override {
        KeyboardTest::SetUp();
        for (const Preset& preset : GetParam().presets) SetProfileDword(janeDateBook_, preset.name, preset.value);
    }
    void OnTheDialog(Action action) {
        dialogs_.On(GetParam().caption, GetParam().controlId, std::move(action));
    }
};

TEST_P(KeyboardDialogTest, TabVisitsTheStopsInResourceOrder) {
    const KeyboardDialog& dialog = GetParam();
    std::vector<int> stops;
    int initialFocus = 0;
    FocusTrail trail;
    WithDialog(dialog.route, [&] {
        OnTheDialog([&](HWND d) {
            stops = TabStops(d);
            initialFocus = FocusId();
        });
        AddRoundTrip(dialogs_, dialog.caption, dialog.controlId, dialog.stops.size(), &trail);
        OnTheDialog(Pressing(VK_ESCAPE));
    });
    EXPECT_EQ(dialog.stops, stops);
    EXPECT_EQ(dialog.stops.front(), initialFocus);
    EXPECT_EQ(RoundTrip(dialog.stops), trail.ids);
}

// One letter, one control, except the known pair in the conduit settings
// (the texts stay as they are).
TEST_P(KeyboardDialogTest, MnemonicsAreThoseOfTheResourceOneLetterEach) {
    const KeyboardDialog& dialog = GetParam();
    std::map<char, std::vector<int>> mnemonics;
    bool shown = false;
    WithDialog(dialog.route, [&] {
        OnTheDialog([&](HWND d) {
            shown = true;
            mnemonics = Mnemonics(d);
            Press(d, VK_ESCAPE);
        });
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(dialog.mnemonics, Describe(mnemonics));
    EXPECT_EQ(dialog.sharedLetters, SharedLetters(mnemonics));
}

class KeyboardEscTest : public KeyboardDialogTest {};

TEST_P(KeyboardEscTest, EscClosesAndWritesNothing) {
    const KeyboardDialog& dialog = GetParam();
    SetProfileString("Users", "LUN", "Jane");
    SetProfileDword("Users\\Jane", "LUC", 0);
    // Reaching the dialog may write the last user and conduit: the same as stored.
    const RegistrySnapshot before = TakeProductSnapshot();
    bool closed = false;
    OpenByKeys(dialog.route);
    for (WORD key : dialog.keysBeforeEsc) OnTheDialog(Pressing(key));
    OnTheDialog(Pressing(VK_ESCAPE));
    if (dialog.route != Route::kUserList) {
        OnUserList([&](HWND) { closed = FindDialog(dialog.caption, dialog.controlId) == nullptr; });
    }
    CloseParentsByKeys(dialog.route);
    EXPECT_EQ(0, Display(dialog.route));
    if (dialog.route == Route::kUserList) closed = FindDialog(dialog.caption) == nullptr;
    EXPECT_TRUE(closed);
    ExpectOnlyChanges(before, {});
}

INSTANTIATE_TEST_SUITE_P(Dialogs, KeyboardDialogTest, ::testing::ValuesIn(kDialogs), DialogName);
// The conduit settings and the HotSync Action dialog have Esc tests of their
// own below: what the keys changed there shows in other dialogs.
INSTANTIATE_TEST_SUITE_P(Dialogs, KeyboardEscTest,
                         ::testing::ValuesIn(DialogsNamed({"UserList", "AppList", "AboutBox"})), DialogName);

// ---------------------------------------------------------------------------
// User list (199).

TEST_F(KeyboardTest, UserListEnterOpensTheApplicationListOfTheSelectedUser) {
    std::string appListUser;
    int selection = -1;
    OnUserList(Pressing(VK_DOWN));
    OnUserList([&](HWND d) {
        selection = ListSelection(d, IDC_USERS_LIST);
        Press(d, VK_RETURN);
    });
    OnAppList([&](HWND d) {
        appListUser = ControlText(d, IDC_APPS_USER);
        Press(d, VK_ESCAPE);
    });
    OnUserList(Pressing(VK_ESCAPE));
    EXPECT_EQ(0, DisplaySettings());
    EXPECT_EQ(1, selection);
    EXPECT_EQ("Zed", appListUser);
    EXPECT_EQ("Zed", ProfileString("Users", "LUN"));
    EXPECT_TRUE(boxes_.seen().empty());
}

// The two lists are tab stops, a deliberate choice for keyboard users: the
// dialog opens with the focus on the list, ready for the arrow keys, and each
// list's label mnemonic lands on it.
TEST_F(KeyboardTest, ListsAreTabStopsAndTakeTheFirstFocus) {
    int userListFocus = 0, appListFocus = 0;
    bool userListStop = false, appListStop = false;
    OnUserList([&](HWND d) {
        userListFocus = FocusId();
        userListStop = (GetWindowLongA(GetDlgItem(d, IDC_USERS_LIST), GWL_STYLE) & WS_TABSTOP) != 0;
        Press(d, VK_RETURN);
    });
    OnAppList([&](HWND d) {
        appListFocus = FocusId();
        appListStop = (GetWindowLongA(GetDlgItem(d, IDC_APPS_LIST), GWL_STYLE) & WS_TABSTOP) != 0;
        Press(d, VK_ESCAPE);
    });
    OnUserList(Pressing(VK_ESCAPE));
    EXPECT_EQ(0, DisplaySettings());
    EXPECT_TRUE(userListStop);
    EXPECT_TRUE(appListStop);
    EXPECT_EQ(IDC_USERS_LIST, userListFocus);
    EXPECT_EQ(IDC_APPS_LIST, appListFocus);
}

TEST_F(KeyboardTest, UserListMnemonicsReachTheirControls) {
    PrivateClasses classes;
    ASSERT_TRUE(classes.overridden());
    const std::string engine = PlaceHelpEngine("helpengine", MakeScratchDir("keyboard-engine"));
    ASSERT_TRUE(PrivateClasses::SetDefault(kHelpServerKey, engine));
    ForgetEngineCalls();

    int focusAfterU = 0;
    bool aboutOpened = false, appListOpened = false;
    size_t helpCalls = 0;
    OnUserList([&](HWND d) {
        SetFocus(GetDlgItem(d, IDCANCEL));
        Press(d, 'U', kAlt);
    });
    OnUserList([&](HWND d) {
        focusAfterU = FocusId();
        Press(d, 'A', kAlt);
    });
    dialogs_.On(kAboutCaption, [&](HWND d) {
        aboutOpened = true;
        Press(d, VK_ESCAPE);
    });
    OnUserList(Pressing('H', kAlt));
    OnUserList([&](HWND d) {
        helpCalls = EngineCalls().size();
        Press(d, 'S', kAlt);
    });
    OnAppList([&](HWND d) {
        appListOpened = true;
        Press(d, VK_ESCAPE);
    });
    OnUserList(Pressing(VK_ESCAPE));
    EXPECT_EQ(0, DisplaySettings());
    EXPECT_EQ(IDC_USERS_LIST, focusAfterU);  // the static's mnemonic moves on to the list
    EXPECT_TRUE(aboutOpened);
    EXPECT_EQ(1u, helpCalls);
    EXPECT_TRUE(appListOpened);
    ForgetEngineCalls();
}

// ---------------------------------------------------------------------------
// Application list (30763).

class KeyboardAppListTest : public KeyboardTest {
protected:
    // Opens Jane's application list by keys, runs the steps added by `steps`
    // on it, and closes the user list at the end.
    void WithAppList(const std::function<void()>& steps) { WithDialog(Route::kAppList, steps); }
};

TEST_F(KeyboardAppListTest, EnterOpensTheSelectedConduitsSettings) {
    bool toDoListOpened = false;
    WithAppList([&] {
        OnAppList(Pressing(VK_DOWN));
        OnAppList(Pressing(VK_RETURN));
        dialogs_.On(kToDoListSettings, [&](HWND d) {
            toDoListOpened = true;
            Press(d, VK_ESCAPE);
        });
    });
    EXPECT_TRUE(toDoListOpened);
    EXPECT_TRUE(ProfileDwordIs("Users\\Jane", "LUC", 1u));
}

TEST_F(KeyboardAppListTest, MnemonicsReachTheirControlsAndTheHiddenHelpIsNone) {
    PrivateClasses classes;
    ASSERT_TRUE(classes.overridden());
    const std::string engine = PlaceHelpEngine("helpengine", MakeScratchDir("keyboard-engine"));
    ASSERT_TRUE(PrivateClasses::SetDefault(kHelpServerKey, engine));
    ForgetEngineCalls();

    int focusAfterA = 0;
    bool stillOpenAfterH = false, settingsOpened = false;
    WithAppList([&] {
        OnAppList([&](HWND d) {
            SetFocus(GetDlgItem(d, IDCANCEL));
            Press(d, 'A', kAlt);
        });
        OnAppList([&](HWND d) {
            focusAfterA = FocusId();
            Press(d, 'H', kAlt);
        });
        OnAppList([&](HWND d) {
            stillOpenAfterH = true;
            Press(d, 'C', kAlt);
        });
        dialogs_.On(kDateBookSettings, [&](HWND d) {
            settingsOpened = true;
            Press(d, VK_ESCAPE);
        });
    });
    EXPECT_EQ(IDC_APPS_LIST, focusAfterA);
    EXPECT_TRUE(stillOpenAfterH);
    EXPECT_TRUE(EngineCalls().empty()) << "the hidden Help button was pressed";
    EXPECT_TRUE(settingsOpened);
    ForgetEngineCalls();
}

// ---------------------------------------------------------------------------
// Conduit settings (30738).

class KeyboardSettingsTest : public KeyboardTest {
protected:
    void SetUp() override {
        KeyboardTest::SetUp();
        SetProfileDword(janeDateBook_, "Conflicts", 2);  // Handheld wins
    }
};

TEST_F(KeyboardSettingsTest, EnterSavesLikeOk) {
    dialogs_.On(kDateBookSettings, Pressing('H', kAlt));
    dialogs_.On(kDateBookSettings, Pressing('P', kAlt));
    dialogs_.On(kDateBookSettings, Pressing('D', kAlt));
    int focusBeforeEnter = 0;
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        focusBeforeEnter = FocusId();
        Press(d, VK_RETURN);
    });
    EXPECT_EQ(0, DisplayUserSettings(0, "Jane"));
    EXPECT_EQ(IDC_SETTINGS_DUPLICATE, focusBeforeEnter);
    EXPECT_TRUE(boxes_.seen().empty());
    EXPECT_TRUE(ProfileDwordIs(janeDateBook_, "Hidden", 1u));
    EXPECT_TRUE(ProfileDwordIs(janeDateBook_, "Private", 1u));
    EXPECT_TRUE(ProfileDwordIs(janeDateBook_, "Conflicts", 0u));
    EXPECT_TRUE(ProfileDwordIs(janeDateBook_, "Temporary", 0xFFFFFFFFu));
}

TEST_F(KeyboardSettingsTest, EnterWithoutADataFileWarnsAndWritesNothing) {
    SetProfileString("Users\\Jane", "Path", productDir_ + "\\Gone.al0");
    const RegistrySnapshot before = TakeProductSnapshot();
    boxes_.Answer(IDOK);
    dialogs_.On(kDateBookSettings, Pressing(VK_RETURN));
    dialogs_.On(kDateBookSettings, Pressing(VK_ESCAPE));
    EXPECT_EQ(0, DisplayUserSettings(0, "Jane"));
    EXPECT_EQ(std::vector<std::string>{kSelectDataFile}, boxes_.texts());
    ExpectOnlyChanges(before, {kJaneLastConduitEntry});
}

TEST_F(KeyboardSettingsTest, EscWritesNothingWhateverTheKeysChanged) {
    SetProfileDword("Users\\Jane", "LUC", 0);
    const RegistrySnapshot before = TakeProductSnapshot();
    std::string permanentShown;
    dialogs_.On(kDateBookSettings, Pressing('H', kAlt));
    dialogs_.On(kDateBookSettings, Pressing('G', kAlt));
    dialogs_.On(kActionCaption, Pressing('N', kAlt));
    dialogs_.On(kActionCaption, Pressing(VK_RETURN));
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        permanentShown = ControlText(d, IDC_SETTINGS_PERMANENT);
        Press(d, VK_ESCAPE);
    });
    EXPECT_EQ(0, DisplayUserSettings(0, "Jane"));
    EXPECT_EQ(kDoNothing, permanentShown);
    ExpectOnlyChanges(before, {});
}

TEST_F(KeyboardSettingsTest, MnemonicsReachTheirControls) {
    PrivateClasses classes;
    ASSERT_TRUE(classes.overridden());
    const std::string record = productDir_ + "\\opened.txt";
    ASSERT_TRUE(RecordTextFileOpens(record));
    struct After {
        int focus = 0;
        bool hidden = false, isPrivate = false, duplicate = false;
    } afterF, afterH, afterP, afterD;
    bool openShown = false, actionsShown = false;
    int focusAfterOpen = 0;
    const auto note = [](After* after, HWND d) {
        after->focus = FocusId();
        after->hidden = IsChecked(d, IDC_SETTINGS_HIDDEN);
        after->isPrivate = IsChecked(d, IDC_SETTINGS_PRIVATE);
        after->duplicate = IsChecked(d, IDC_SETTINGS_DUPLICATE);
    };
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        SetFocus(GetDlgItem(d, IDCANCEL));
        Press(d, 'F', kAlt);
    });
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        note(&afterF, d);
        Press(d, 'W', kAlt);
    });
    dialogs_.On(kOpenCaption, [&](HWND d) {
        openShown = true;
        Press(d, VK_ESCAPE);
    });
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        focusAfterOpen = FocusId();
        Press(d, 'G', kAlt);
    });
    dialogs_.On(kActionCaption, [&](HWND d) {
        actionsShown = true;
        Press(d, VK_ESCAPE);
    });
    dialogs_.On(kDateBookSettings, Pressing('H', kAlt));
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        note(&afterH, d);
        Press(d, 'P', kAlt);
    });
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        note(&afterP, d);
        Press(d, 'D', kAlt);
    });
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        note(&afterD, d);
        Press(d, 'V', kAlt);
    });
    dialogs_.On(kDateBookSettings, Pressing(VK_ESCAPE));
    EXPECT_EQ(0, DisplayUserSettings(0, "Jane"));
    EXPECT_EQ(IDC_SETTINGS_FILE, afterF.focus);  // the static's mnemonic moves on to the file
    EXPECT_TRUE(openShown);
    EXPECT_EQ(IDC_SETTINGS_BROWSE, focusAfterOpen);
    EXPECT_TRUE(actionsShown);
    EXPECT_EQ(IDC_SETTINGS_HIDDEN, afterH.focus);
    EXPECT_TRUE(afterH.hidden);
    EXPECT_EQ(IDC_SETTINGS_PRIVATE, afterP.focus);
    EXPECT_TRUE(afterP.isPrivate);
    EXPECT_EQ(IDC_SETTINGS_DUPLICATE, afterD.focus);
    EXPECT_TRUE(afterD.duplicate);
    EXPECT_EQ(productDir_ + "\\Home_dates_jane_log.txt\n", RecordedOpens(record));
    EXPECT_TRUE(boxes_.seen().empty());
}

// "&Almanor wins" and "H&andheld wins" share A. Wine's dialog manager starts
// its search at the focused control, so Alt+A stays on "Almanor wins" and
// never reaches "Handheld wins" (Windows moves the focus between controls
// sharing a mnemonic instead). "Handheld wins" is reached by the arrow keys
// of its group.
TEST_F(KeyboardSettingsTest, SharedMnemonicAlwaysPicksAlmanorWinsAndTheArrowReachesHandheldWins) {
    std::vector<int> focus;
    std::vector<int> checked;
    const auto note = [&](HWND d) {
        focus.push_back(FocusId());
        for (int i = 0; i < 3; ++i) {
            if (IsChecked(d, IDC_SETTINGS_DUPLICATE + i)) checked.push_back(IDC_SETTINGS_DUPLICATE + i);
        }
    };
    for (int i = 0; i < 3; ++i) {
        dialogs_.On(kDateBookSettings, [&, i](HWND d) {
            if (i > 0) note(d);
            Press(d, 'A', kAlt);
        });
    }
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        note(d);
        Press(d, VK_RIGHT);
    });
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        note(d);
        Press(d, VK_ESCAPE);
    });
    EXPECT_EQ(0, DisplayUserSettings(0, "Jane"));
    const int almanor = IDC_SETTINGS_ALMANOR_WINS, handheld = IDC_SETTINGS_HANDHELD_WINS;
    EXPECT_EQ(std::vector<int>({almanor, almanor, almanor, handheld}), focus);
    EXPECT_EQ(std::vector<int>({almanor, almanor, almanor, handheld}), checked);
}

// ---------------------------------------------------------------------------
// HotSync Action (2001).

class KeyboardActionTest : public KeyboardSettingsTest {
protected:
    // Opens the action dialog from the settings by keys, runs the steps added
    // by `steps`, then the steps added by `after` in the settings dialog.
    void WithActions(const std::function<void()>& steps, const std::function<void()>& after) {
        OpenByKeys(Route::kActions);
        steps();
        after();
        EXPECT_EQ(0, Display(Route::kActions));
    }
};

TEST_F(KeyboardActionTest, TabStopOfTheOneTimeGroupIsItsCheckedButton) {
    SetProfileDword(janeDateBook_, "Temporary", 1);
    std::vector<int> stops;
    WithActions(
        [&] {
            dialogs_.On(kActionCaption, [&](HWND d) {
                stops = TabStops(d);
                Press(d, VK_ESCAPE);
            });
        },
        [&] { dialogs_.On(kDateBookSettings, Pressing(VK_ESCAPE)); });
    EXPECT_EQ(std::vector<int>({IDC_ACTION_PERMANENT_FIRST, IDC_ACTION_ONE_TIME_FIRST + 1, IDOK, IDCANCEL}), stops);
}

// Tab into the empty one-time group, Space chooses its first action.
TEST_F(KeyboardActionTest, TabAndSpaceChooseAOneTimeAction) {
    std::string oneTimeShown;
    WithActions(
        [&] {
            dialogs_.On(kActionCaption, Pressing(VK_TAB));
            dialogs_.On(kActionCaption, Pressing(VK_SPACE));
            dialogs_.On(kActionCaption, Pressing(VK_DOWN));
            dialogs_.On(kActionCaption, Pressing(VK_RETURN));
        },
        [&] {
            dialogs_.On(kDateBookSettings, [&](HWND d) {
                oneTimeShown = ControlText(d, IDC_SETTINGS_ONE_TIME);
                Press(d, VK_RETURN);
            });
        });
    EXPECT_EQ(kAlmanorOverwrites, oneTimeShown);
    EXPECT_TRUE(ProfileDwordIs(janeDateBook_, "Temporary", 1u));
}

TEST_F(KeyboardActionTest, EnterTakesTheActionsAndTheSettingsSaveThem) {
    std::string permanentShown, oneTimeShown;
    WithActions(
        [&] {
            dialogs_.On(kActionCaption, Pressing('N', kAlt));
            dialogs_.On(kActionCaption, Pressing('R', kAlt));
            dialogs_.On(kActionCaption, Pressing(VK_RETURN));
        },
        [&] {
            dialogs_.On(kDateBookSettings, [&](HWND d) {
                permanentShown = ControlText(d, IDC_SETTINGS_PERMANENT);
                oneTimeShown = ControlText(d, IDC_SETTINGS_ONE_TIME);
                Press(d, VK_RETURN);
            });
        });
    EXPECT_EQ(kDoNothing, permanentShown);
    EXPECT_EQ(kAlmanorOverwrites, oneTimeShown);
    EXPECT_TRUE(ProfileDwordIs(janeDateBook_, "Permanent", 3u));
    EXPECT_TRUE(ProfileDwordIs(janeDateBook_, "Temporary", 1u));
}

TEST_F(KeyboardActionTest, EscKeepsTheActionsAndWritesNothing) {
    SetProfileDword("Users\\Jane", "LUC", 0);
    const RegistrySnapshot before = TakeProductSnapshot();
    std::string permanentShown, oneTimeShown;
    WithActions(
        [&] {
            dialogs_.On(kActionCaption, Pressing('H', kAlt));
            dialogs_.On(kActionCaption, Pressing('Y', kAlt));
            dialogs_.On(kActionCaption, Pressing(VK_ESCAPE));
        },
        [&] {
            dialogs_.On(kDateBookSettings, [&](HWND d) {
                permanentShown = ControlText(d, IDC_SETTINGS_PERMANENT);
                oneTimeShown = ControlText(d, IDC_SETTINGS_ONE_TIME);
                Press(d, VK_ESCAPE);
            });
        });
    EXPECT_EQ(kSynchronize, permanentShown);
    EXPECT_EQ(kSynchronize, oneTimeShown);
    ExpectOnlyChanges(before, {});
}

TEST_F(KeyboardActionTest, MnemonicsCheckTheirButtons) {
    const char letters[] = "SAHNYRDG";
    const int targets[] = {1084, 1085, 1086, 1087, 1088, 1089, 1090, 1091};
    std::vector<int> focus, checkedTarget;
    WithActions(
        [&] {
            dialogs_.On(kActionCaption, [&](HWND d) {
                Press(d, letters[0], kAlt);
            });
            for (int i = 1; i <= 8; ++i) {
                dialogs_.On(kActionCaption, [&, i](HWND d) {
                    focus.push_back(FocusId());
                    checkedTarget.push_back(IsChecked(d, targets[i - 1]) ? targets[i - 1] : 0);
                    if (i < 8) Press(d, letters[i], kAlt);
                    else Press(d, VK_ESCAPE);
                });
            }
        },
        [&] { dialogs_.On(kDateBookSettings, Pressing(VK_ESCAPE)); });
    const std::vector<int> expected(std::begin(targets), std::end(targets));
    EXPECT_EQ(expected, focus);
    EXPECT_EQ(expected, checkedTarget);
}

// ---------------------------------------------------------------------------
// About box (5101).

class KeyboardAboutTest : public KeyboardTest {
protected:
    // Opens the About box from the user list by keys and closes the list after it.
    void WithAbout(const std::function<void()>& steps) { WithDialog(Route::kAbout, steps); }
};

// OK has the focus (the box's only stop) and the box no mnemonics: a
// letter with Alt does nothing, Enter closes the box.
TEST_F(KeyboardAboutTest, OkIsTheOnlyStopAndEnterCloses) {
    int focus = 0;
    bool stillOpen = false, backInUserList = false;
    WithAbout([&] {
        dialogs_.On(kAboutCaption, Pressing('T', kAlt));
        dialogs_.On(kAboutCaption, [&](HWND d) {
            stillOpen = true;
            focus = FocusId();
            Press(d, VK_RETURN);
        });
        OnUserList([&](HWND) { backInUserList = FindDialog(kAboutCaption) == nullptr; });
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(IDOK, focus);
    EXPECT_TRUE(backInUserList);
}
