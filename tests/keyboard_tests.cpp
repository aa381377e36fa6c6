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
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/reg_key.h"
#include "resources/twpalmui_ids.h"
#include "tests/support/registry_snapshot.h"
#include "tests/settings_fixture.h"
#include "tests/support/private_classes.h"
#include "tests/support/test_paths.h"

using namespace testsupport;

namespace {

const char kUserList[] = "Tidewell for Palm Settings";
const char kDateBookSettings[] = "Settings for Palm Date Book";
const char kToDoListSettings[] = "Settings for Palm To Do List";
const char kActionCaption[] = "HotSync Action";
const char kAboutCaption[] = "About Tidewell for Palm";
const char kOpenCaption[] = "Open Data File";
const char kHelpServerKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

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

// Adds steps that each note the focus and press the key, `presses` times,
// then a step that notes the focus once more.
void AddKeyWalk(DialogDriver& driver, const std::string& caption, int controlId, int presses, WORD key,
                Modifier modifier, FocusTrail* trail) {
    for (int i = 0; i < presses; ++i) {
        driver.On(caption, controlId, [=](HWND d) {
            trail->ids.push_back(FocusId());
            Press(d, key, modifier);
        });
    }
    driver.On(caption, controlId, [=](HWND) { trail->ids.push_back(FocusId()); });
}

// Tab from the first stop round the dialog and back, then Shift+Tab the
// other way round: the trail of a dialog with stops {a, b, c}.
std::vector<int> RoundTrip(const std::vector<int>& stops) {
    std::vector<int> trail = stops;
    trail.push_back(stops.front());
    for (size_t i = stops.size(); i-- > 0;) trail.push_back(stops[i]);
    return trail;
}

void AddRoundTrip(DialogDriver& driver, const std::string& caption, int controlId, size_t stops, FocusTrail* trail) {
    AddKeyWalk(driver, caption, controlId, static_cast<int>(stops), VK_TAB, kPlain, trail);
    // Back from where the walk ended, noting the focus after each press.
    for (size_t i = 0; i < stops; ++i) {
        driver.On(caption, controlId, [=](HWND d) {
            if (i > 0) trail->ids.push_back(FocusId());
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

std::string HelpCallsPath() {
    return "Software\\Help Engine Stand-in\\" + std::to_string(GetCurrentProcessId());
}

DWORD HelpCalls() {
    std::vector<BYTE> data;
    RegKey key = RegKey::Open(HKEY_CURRENT_USER, HelpCallsPath().c_str());
    if (!key.ReadBytes("Calls", &data) || data.size() != 4) return 0;
    return *reinterpret_cast<const DWORD*>(data.data());
}

void ForgetHelpCalls() {
    DeleteKeyTree(HKEY_CURRENT_USER, HelpCallsPath().c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Help Engine Stand-in");
}

}  // namespace

class KeyboardTest : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        palm_.AddUser(5, "Jane");
        palm_.AddUser(6, "Zed");
        dataFile_ = productDir_ + "\\Home.al0";
        WriteTextFile(dataFile_, "calendar");
    }

    void ExpectOnlyChanges(const RegistrySnapshot& before, std::vector<std::string> allowed) {
        const std::vector<std::string> sections = SectionKeys({"Jane", "Zed"});
        allowed.insert(allowed.end(), sections.begin(), sections.end());
        const std::vector<std::string> changes = UnexpectedChanges(before, TakeProductSnapshot(), allowed);
        EXPECT_TRUE(changes.empty()) << changes.size() << " unexpected changes, first: " << changes.front();
    }

    void ExpectNoProblems() {
        EXPECT_TRUE(dialogs_.problems().empty()) << dialogs_.problems().front();
        EXPECT_TRUE(dialogs_.finished());
    }

    std::string dataFile_;
};

// ---------------------------------------------------------------------------
// User list (199).

// Resource order of 199: "Select a &user:" (static), the list 1126,
// "&Settings..." 2005, "&About..." 2000, "&Help" 57670, "Close" 2.
const std::vector<int> kUserListStops = {IDC_USERS_LIST, IDC_USERS_SETTINGS, IDC_USERS_ABOUT, IDC_HELP_BUTTON,
                                         IDCANCEL};

TEST_F(KeyboardTest, UserListTabVisitsTheStopsInResourceOrder) {
    std::vector<int> stops;
    int initialFocus = 0;
    FocusTrail trail;
    dialogs_.On(kUserList, IDC_USERS_SETTINGS, [&](HWND d) {
        stops = TabStops(d);
        initialFocus = FocusId();
    });
    AddRoundTrip(dialogs_, kUserList, IDC_USERS_SETTINGS, kUserListStops.size(), &trail);
    dialogs_.On(kUserList, IDC_USERS_SETTINGS, [](HWND d) { Press(d, VK_ESCAPE); });
    EXPECT_EQ(0, DisplaySettings());
    ExpectNoProblems();
    EXPECT_EQ(kUserListStops, stops);
    EXPECT_EQ(IDC_USERS_LIST, initialFocus);
    EXPECT_EQ(RoundTrip(kUserListStops), trail.ids);
}

TEST_F(KeyboardTest, UserListEnterOpensTheApplicationListOfTheSelectedUser) {
    std::string appListUser;
    int selection = -1;
    dialogs_.On(kUserList, IDC_USERS_SETTINGS, [](HWND d) { Press(d, VK_DOWN); });
    dialogs_.On(kUserList, IDC_USERS_SETTINGS, [&](HWND d) {
        selection = ListSelection(d, IDC_USERS_LIST);
        Press(d, VK_RETURN);
    });
    dialogs_.On(kUserList, IDC_APPS_CHANGE, [&](HWND d) {
        appListUser = ControlText(d, IDC_APPS_USER);
        Press(d, VK_ESCAPE);
    });
    dialogs_.On(kUserList, IDC_USERS_SETTINGS, [](HWND d) { Press(d, VK_ESCAPE); });
    EXPECT_EQ(0, DisplaySettings());
    ExpectNoProblems();
    EXPECT_EQ(1, selection);
    EXPECT_EQ("Zed", appListUser);
    EXPECT_EQ("Zed", ProfileString("Users", "LUN"));
    EXPECT_TRUE(boxes_.seen().empty());
}

TEST_F(KeyboardTest, UserListEscClosesAndWritesNothing) {
    SetProfileString("Users", "LUN", "Jane");
    const RegistrySnapshot before = TakeProductSnapshot();
    bool closed = false;
    dialogs_.On(kUserList, IDC_USERS_SETTINGS, [](HWND d) { Press(d, VK_DOWN); });
    dialogs_.On(kUserList, IDC_USERS_SETTINGS, [](HWND d) { Press(d, VK_ESCAPE); });
    closed = DisplaySettings() == 0;
    ExpectNoProblems();
    EXPECT_TRUE(closed);
    EXPECT_EQ(nullptr, FindDialog(kUserList));
    ExpectOnlyChanges(before, {});
}

TEST_F(KeyboardTest, UserListMnemonicsReachTheirControls) {
    PrivateClasses classes;
    ASSERT_TRUE(classes.overridden());
    const std::string engineFolder = MakeScratchDir("keyboard-engine");
    const std::string engine = engineFolder + "\\HelpEngine.dll";
    ASSERT_TRUE(CopyFileA((StandInDir("helpengine") + "\\HelpEngine.dll").c_str(), engine.c_str(), FALSE));
    ASSERT_TRUE(PrivateClasses::SetDefault(kHelpServerKey, engine));
    ForgetHelpCalls();

    std::map<char, std::vector<int>> mnemonics;
    int focusAfterU = 0;
    bool aboutOpened = false, appListOpened = false;
    DWORD helpCalls = 0;
    dialogs_.On(kUserList, IDC_USERS_SETTINGS, [&](HWND d) {
        mnemonics = Mnemonics(d);
        SetFocus(GetDlgItem(d, IDCANCEL));
        Press(d, 'U', kAlt);
    });
    dialogs_.On(kUserList, IDC_USERS_SETTINGS, [&](HWND d) {
        focusAfterU = FocusId();
        Press(d, 'A', kAlt);
    });
    dialogs_.On(kAboutCaption, [&](HWND d) {
        aboutOpened = true;
        Press(d, VK_ESCAPE);
    });
    dialogs_.On(kUserList, IDC_USERS_SETTINGS, [](HWND d) { Press(d, 'H', kAlt); });
    dialogs_.On(kUserList, IDC_USERS_SETTINGS, [&](HWND d) {
        helpCalls = HelpCalls();
        Press(d, 'S', kAlt);
    });
    dialogs_.On(kUserList, IDC_APPS_CHANGE, [&](HWND d) {
        appListOpened = true;
        Press(d, VK_ESCAPE);
    });
    dialogs_.On(kUserList, IDC_USERS_SETTINGS, [](HWND d) { Press(d, VK_ESCAPE); });
    EXPECT_EQ(0, DisplaySettings());
    ExpectNoProblems();
    EXPECT_EQ("A=2000 H=57670 S=2005 U=1022", Describe(mnemonics));
    EXPECT_EQ(IDC_USERS_LIST, focusAfterU);  // the static's mnemonic moves on to the list
    EXPECT_TRUE(aboutOpened);
    EXPECT_EQ(1u, helpCalls);
    EXPECT_TRUE(appListOpened);
    ForgetHelpCalls();
}

// ---------------------------------------------------------------------------
// Application list (30763).

// Resource order of 30763: statics, the list 1126, "&Change..." 2004, the
// hidden "&Help" 57670 (no stop), "Close" 2.
const std::vector<int> kAppListStops = {IDC_APPS_LIST, IDC_APPS_CHANGE, IDCANCEL};

class KeyboardAppListTest : public KeyboardTest {
protected:
    // Opens Jane's application list by keys, runs the steps added by `steps`
    // on it, and closes the user list at the end.
    void WithAppList(const std::function<void()>& steps) {
        dialogs_.On(kUserList, IDC_USERS_SETTINGS, [](HWND d) { Press(d, VK_RETURN); });
        steps();
        dialogs_.On(kUserList, IDC_USERS_SETTINGS, [](HWND d) { Press(d, VK_ESCAPE); });
        EXPECT_EQ(0, DisplaySettings());
        ExpectNoProblems();
    }
};

TEST_F(KeyboardAppListTest, TabVisitsTheStopsInResourceOrderSkippingTheHiddenHelp) {
    std::vector<int> stops;
    int initialFocus = 0;
    FocusTrail trail;
    WithAppList([&] {
        dialogs_.On(kUserList, IDC_APPS_CHANGE, [&](HWND d) {
            stops = TabStops(d);
            initialFocus = FocusId();
        });
        AddRoundTrip(dialogs_, kUserList, IDC_APPS_CHANGE, kAppListStops.size(), &trail);
        dialogs_.On(kUserList, IDC_APPS_CHANGE, [](HWND d) { Press(d, VK_ESCAPE); });
    });
    EXPECT_EQ(kAppListStops, stops);
    EXPECT_EQ(IDC_APPS_LIST, initialFocus);
    EXPECT_EQ(RoundTrip(kAppListStops), trail.ids);
}

TEST_F(KeyboardAppListTest, EnterOpensTheSelectedConduitsSettings) {
    bool toDoListOpened = false;
    WithAppList([&] {
        dialogs_.On(kUserList, IDC_APPS_CHANGE, [](HWND d) { Press(d, VK_DOWN); });
        dialogs_.On(kUserList, IDC_APPS_CHANGE, [](HWND d) { Press(d, VK_RETURN); });
        dialogs_.On(kToDoListSettings, [&](HWND d) {
            toDoListOpened = true;
            Press(d, VK_ESCAPE);
        });
    });
    EXPECT_TRUE(toDoListOpened);
    DWORD lastConduit = 99;
    ASSERT_TRUE(ProfileDword("Users\\Jane", "LUC", &lastConduit));
    EXPECT_EQ(1u, lastConduit);
}

TEST_F(KeyboardAppListTest, EscClosesAndWritesNothing) {
    SetProfileDword("Users\\Jane", "LUC", 0);
    RegistrySnapshot before;
    bool backInUserList = false;
    WithAppList([&] {
        dialogs_.On(kUserList, IDC_APPS_CHANGE, [&](HWND d) {
            before = TakeProductSnapshot();  // opening the list wrote "LUN"
            Press(d, VK_DOWN);
        });
        dialogs_.On(kUserList, IDC_APPS_CHANGE, [](HWND d) { Press(d, VK_ESCAPE); });
        dialogs_.On(kUserList, IDC_USERS_SETTINGS,
                    [&](HWND) { backInUserList = FindDialog(kUserList, IDC_APPS_CHANGE) == nullptr; });
    });
    EXPECT_TRUE(backInUserList);
    ExpectOnlyChanges(before, {});
}

TEST_F(KeyboardAppListTest, MnemonicsReachTheirControlsAndTheHiddenHelpIsNone) {
    PrivateClasses classes;
    ASSERT_TRUE(classes.overridden());
    const std::string engineFolder = MakeScratchDir("keyboard-engine");
    const std::string engine = engineFolder + "\\HelpEngine.dll";
    ASSERT_TRUE(CopyFileA((StandInDir("helpengine") + "\\HelpEngine.dll").c_str(), engine.c_str(), FALSE));
    ASSERT_TRUE(PrivateClasses::SetDefault(kHelpServerKey, engine));
    ForgetHelpCalls();

    std::map<char, std::vector<int>> mnemonics;
    int focusAfterA = 0;
    bool stillOpenAfterH = false, settingsOpened = false;
    WithAppList([&] {
        dialogs_.On(kUserList, IDC_APPS_CHANGE, [&](HWND d) {
            mnemonics = Mnemonics(d);
            SetFocus(GetDlgItem(d, IDCANCEL));
            Press(d, 'A', kAlt);
        });
        dialogs_.On(kUserList, IDC_APPS_CHANGE, [&](HWND d) {
            focusAfterA = FocusId();
            Press(d, 'H', kAlt);
        });
        dialogs_.On(kUserList, IDC_APPS_CHANGE, [&](HWND d) {
            stillOpenAfterH = true;
            Press(d, 'C', kAlt);
        });
        dialogs_.On(kDateBookSettings, [&](HWND d) {
            settingsOpened = true;
            Press(d, VK_ESCAPE);
        });
    });
    EXPECT_EQ("A=1022 C=2004 H=57670", Describe(mnemonics));
    EXPECT_EQ(IDC_APPS_LIST, focusAfterA);
    EXPECT_TRUE(stillOpenAfterH);
    EXPECT_EQ(0u, HelpCalls()) << "the hidden Help button was pressed";
    EXPECT_TRUE(settingsOpened);
    ForgetHelpCalls();
}

// ---------------------------------------------------------------------------
// Conduit settings (30738).

// Resource order of 30738 (tab stops only): the file 1118, "Bro&wse..." 1051,
// "Chan&ge..." 1053, the check boxes 1187 and 1190, the conflict group
// 1084-1086 (its stop is the checked button), OK 1, Cancel 2, "&View Log" 1052.
class KeyboardSettingsTest : public KeyboardTest {
protected:
    void SetUp() override {
        KeyboardTest::SetUp();
        SetProfileString("Users\\Jane", "Path", dataFile_);
        SetProfileDword(janeDateBook_, "Conflicts", 2);  // Handheld wins
        WriteTextFile(productDir_ + "\\Home_dates_jane_log.txt", "log");  // View Log enabled
    }
    const std::string janeDateBook_ = "Users\\Jane\\DateBook";
    const std::vector<int> stops_ = {IDC_SETTINGS_FILE,         IDC_SETTINGS_BROWSE, IDC_SETTINGS_CHANGE,
                                     IDC_SETTINGS_HIDDEN,       IDC_SETTINGS_PRIVATE, IDC_SETTINGS_HANDHELD_WINS,
                                     IDOK,                      IDCANCEL,            IDC_SETTINGS_VIEW_LOG};
};

TEST_F(KeyboardSettingsTest, TabVisitsTheStopsInResourceOrder) {
    std::vector<int> stops;
    int initialFocus = 0;
    FocusTrail trail;
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        stops = TabStops(d);
        initialFocus = FocusId();
    });
    AddRoundTrip(dialogs_, kDateBookSettings, 0, stops_.size(), &trail);
    dialogs_.On(kDateBookSettings, [](HWND d) { Press(d, VK_ESCAPE); });
    EXPECT_EQ(0, DisplayUserSettings(0, "Jane"));
    ExpectNoProblems();
    EXPECT_EQ(stops_, stops);
    EXPECT_EQ(IDC_SETTINGS_FILE, initialFocus);
    EXPECT_EQ(RoundTrip(stops_), trail.ids);
}

TEST_F(KeyboardSettingsTest, EnterSavesLikeOk) {
    dialogs_.On(kDateBookSettings, [](HWND d) { Press(d, 'H', kAlt); });
    dialogs_.On(kDateBookSettings, [](HWND d) { Press(d, 'P', kAlt); });
    dialogs_.On(kDateBookSettings, [](HWND d) { Press(d, 'D', kAlt); });
    int focusBeforeEnter = 0;
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        focusBeforeEnter = FocusId();
        Press(d, VK_RETURN);
    });
    EXPECT_EQ(0, DisplayUserSettings(0, "Jane"));
    ExpectNoProblems();
    EXPECT_EQ(IDC_SETTINGS_DUPLICATE, focusBeforeEnter);
    EXPECT_TRUE(boxes_.seen().empty());
    DWORD value = 99;
    ASSERT_TRUE(ProfileDword(janeDateBook_, "Hidden", &value));
    EXPECT_EQ(1u, value);
    ASSERT_TRUE(ProfileDword(janeDateBook_, "Private", &value));
    EXPECT_EQ(1u, value);
    ASSERT_TRUE(ProfileDword(janeDateBook_, "Conflicts", &value));
    EXPECT_EQ(0u, value);
    ASSERT_TRUE(ProfileDword(janeDateBook_, "Temporary", &value));
    EXPECT_EQ(0xFFFFFFFFu, value);
}

TEST_F(KeyboardSettingsTest, EnterWithoutADataFileWarnsAndWritesNothing) {
    SetProfileString("Users\\Jane", "Path", productDir_ + "\\Gone.al0");
    const RegistrySnapshot before = TakeProductSnapshot();
    boxes_.Answer(IDOK);
    dialogs_.On(kDateBookSettings, [](HWND d) { Press(d, VK_RETURN); });
    dialogs_.On(kDateBookSettings, [](HWND d) { Press(d, VK_ESCAPE); });
    EXPECT_EQ(0, DisplayUserSettings(0, "Jane"));
    ExpectNoProblems();
    ASSERT_EQ(1u, boxes_.seen().size());
    EXPECT_EQ("Select a data file.", boxes_.seen()[0].text);
    ExpectOnlyChanges(before, {"HKCU\\Orvelle\\Users\\Jane\\|LUC"});
}

TEST_F(KeyboardSettingsTest, EscWritesNothingWhateverTheKeysChanged) {
    SetProfileDword("Users\\Jane", "LUC", 0);
    const RegistrySnapshot before = TakeProductSnapshot();
    std::string permanentShown;
    dialogs_.On(kDateBookSettings, [](HWND d) { Press(d, 'H', kAlt); });
    dialogs_.On(kDateBookSettings, [](HWND d) { Press(d, 'G', kAlt); });
    dialogs_.On(kActionCaption, [](HWND d) { Press(d, 'N', kAlt); });
    dialogs_.On(kActionCaption, [](HWND d) { Press(d, VK_RETURN); });
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        permanentShown = ControlText(d, IDC_SETTINGS_PERMANENT);
        Press(d, VK_ESCAPE);
    });
    EXPECT_EQ(0, DisplayUserSettings(0, "Jane"));
    ExpectNoProblems();
    EXPECT_EQ("Do Nothing", permanentShown);
    ExpectOnlyChanges(before, {});
}

TEST_F(KeyboardSettingsTest, MnemonicsReachTheirControls) {
    PrivateClasses classes;
    ASSERT_TRUE(classes.overridden());
    const std::string record = productDir_ + "\\opened.txt";
    ASSERT_TRUE(PrivateClasses::SetDefault(".txt", "tidewelltest.log"));
    ASSERT_TRUE(PrivateClasses::SetDefault("tidewelltest.log\\shell\\open\\command",
                                           "\"" + StandInDir("urlrecorder") + "\\UrlRecorder.exe\" \"" + record +
                                               "\" \"%1\""));
    std::map<char, std::vector<int>> mnemonics;
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
        mnemonics = Mnemonics(d);
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
    dialogs_.On(kDateBookSettings, [](HWND d) { Press(d, 'H', kAlt); });
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
    dialogs_.On(kDateBookSettings, [](HWND d) { Press(d, VK_ESCAPE); });
    EXPECT_EQ(0, DisplayUserSettings(0, "Jane"));
    ExpectNoProblems();
    EXPECT_EQ("A=1085,1086 D=1084 F=65535 G=1053 H=1187 P=1190 V=1052 W=1051", Describe(mnemonics));
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
    for (int wait = 0; wait < 100 && !PathExists(record); ++wait) Sleep(50);
    std::string opened = ReadTextFile(record);
    while (!opened.empty() && (opened.back() == '\n' || opened.back() == '\r')) opened.pop_back();
    EXPECT_EQ(productDir_ + "\\Home_dates_jane_log.txt", opened);
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
    ExpectNoProblems();
    const int almanor = IDC_SETTINGS_ALMANOR_WINS, handheld = IDC_SETTINGS_HANDHELD_WINS;
    EXPECT_EQ(std::vector<int>({almanor, almanor, almanor, handheld}), focus);
    EXPECT_EQ(std::vector<int>({almanor, almanor, almanor, handheld}), checked);
}

// ---------------------------------------------------------------------------
// HotSync Action (2001).

// Resource order of 2001: group box, the permanent group 1084-1087, group
// box, the one-time group 1088-1091, OK 1, Cancel 2. A group's stop is its
// checked button, or its first when none is checked.
class KeyboardActionTest : public KeyboardSettingsTest {
protected:
    // Opens the action dialog from the settings by keys, runs the steps added
    // by `steps`, then the steps added by `after` in the settings dialog.
    void WithActions(const std::function<void()>& steps, const std::function<void()>& after) {
        dialogs_.On(kDateBookSettings, [](HWND d) { Press(d, 'G', kAlt); });
        steps();
        after();
        EXPECT_EQ(0, DisplayUserSettings(0, "Jane"));
        ExpectNoProblems();
    }
};

TEST_F(KeyboardActionTest, TabReachesBothGroupsAlsoWithoutAOneTimeAction) {
    SetProfileDword(janeDateBook_, "Permanent", 2);
    std::vector<int> stops;
    int initialFocus = 0;
    FocusTrail trail;
    const std::vector<int> expected = {IDC_ACTION_PERMANENT_FIRST + 2, IDC_ACTION_ONE_TIME_FIRST, IDOK, IDCANCEL};
    WithActions(
        [&] {
            dialogs_.On(kActionCaption, [&](HWND d) {
                stops = TabStops(d);
                initialFocus = FocusId();
            });
            AddRoundTrip(dialogs_, kActionCaption, 0, expected.size(), &trail);
            dialogs_.On(kActionCaption, [](HWND d) { Press(d, VK_ESCAPE); });
        },
        [&] { dialogs_.On(kDateBookSettings, [](HWND d) { Press(d, VK_ESCAPE); }); });
    EXPECT_EQ(expected, stops);
    EXPECT_EQ(IDC_ACTION_PERMANENT_FIRST + 2, initialFocus);
    EXPECT_EQ(RoundTrip(expected), trail.ids);
}

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
        [&] { dialogs_.On(kDateBookSettings, [](HWND d) { Press(d, VK_ESCAPE); }); });
    EXPECT_EQ(std::vector<int>({IDC_ACTION_PERMANENT_FIRST, IDC_ACTION_ONE_TIME_FIRST + 1, IDOK, IDCANCEL}), stops);
}

// Tab into the empty one-time group, Space chooses its first action.
TEST_F(KeyboardActionTest, TabAndSpaceChooseAOneTimeAction) {
    std::string oneTimeShown;
    WithActions(
        [&] {
            dialogs_.On(kActionCaption, [](HWND d) { Press(d, VK_TAB); });
            dialogs_.On(kActionCaption, [](HWND d) { Press(d, VK_SPACE); });
            dialogs_.On(kActionCaption, [](HWND d) { Press(d, VK_DOWN); });
            dialogs_.On(kActionCaption, [](HWND d) { Press(d, VK_RETURN); });
        },
        [&] {
            dialogs_.On(kDateBookSettings, [&](HWND d) {
                oneTimeShown = ControlText(d, IDC_SETTINGS_ONE_TIME);
                Press(d, VK_RETURN);
            });
        });
    EXPECT_EQ("Almanor overwrites Handheld", oneTimeShown);
    DWORD value = 99;
    ASSERT_TRUE(ProfileDword(janeDateBook_, "Temporary", &value));
    EXPECT_EQ(1u, value);
}

TEST_F(KeyboardActionTest, EnterTakesTheActionsAndTheSettingsSaveThem) {
    std::string permanentShown, oneTimeShown;
    WithActions(
        [&] {
            dialogs_.On(kActionCaption, [](HWND d) { Press(d, 'N', kAlt); });
            dialogs_.On(kActionCaption, [](HWND d) { Press(d, 'R', kAlt); });
            dialogs_.On(kActionCaption, [](HWND d) { Press(d, VK_RETURN); });
        },
        [&] {
            dialogs_.On(kDateBookSettings, [&](HWND d) {
                permanentShown = ControlText(d, IDC_SETTINGS_PERMANENT);
                oneTimeShown = ControlText(d, IDC_SETTINGS_ONE_TIME);
                Press(d, VK_RETURN);
            });
        });
    EXPECT_EQ("Do Nothing", permanentShown);
    EXPECT_EQ("Almanor overwrites Handheld", oneTimeShown);
    DWORD value = 99;
    ASSERT_TRUE(ProfileDword(janeDateBook_, "Permanent", &value));
    EXPECT_EQ(3u, value);
    ASSERT_TRUE(ProfileDword(janeDateBook_, "Temporary", &value));
    EXPECT_EQ(1u, value);
}

TEST_F(KeyboardActionTest, EscKeepsTheActionsAndWritesNothing) {
    SetProfileDword("Users\\Jane", "LUC", 0);
    const RegistrySnapshot before = TakeProductSnapshot();
    std::string permanentShown, oneTimeShown;
    WithActions(
        [&] {
            dialogs_.On(kActionCaption, [](HWND d) { Press(d, 'H', kAlt); });
            dialogs_.On(kActionCaption, [](HWND d) { Press(d, 'Y', kAlt); });
            dialogs_.On(kActionCaption, [](HWND d) { Press(d, VK_ESCAPE); });
        },
        [&] {
            dialogs_.On(kDateBookSettings, [&](HWND d) {
                permanentShown = ControlText(d, IDC_SETTINGS_PERMANENT);
                oneTimeShown = ControlText(d, IDC_SETTINGS_ONE_TIME);
                Press(d, VK_ESCAPE);
            });
        });
    EXPECT_EQ("Synchronize", permanentShown);
    EXPECT_EQ("Synchronize", oneTimeShown);
    ExpectOnlyChanges(before, {});
}

TEST_F(KeyboardActionTest, MnemonicsCheckTheirButtons) {
    std::map<char, std::vector<int>> mnemonics;
    const char letters[] = "SAHNYRDG";
    const int targets[] = {1084, 1085, 1086, 1087, 1088, 1089, 1090, 1091};
    std::vector<int> focus, checkedTarget;
    WithActions(
        [&] {
            dialogs_.On(kActionCaption, [&](HWND d) {
                mnemonics = Mnemonics(d);
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
        [&] { dialogs_.On(kDateBookSettings, [](HWND d) { Press(d, VK_ESCAPE); }); });
    EXPECT_EQ("A=1085 D=1090 G=1091 H=1086 N=1087 R=1089 S=1084 Y=1088", Describe(mnemonics));
    const std::vector<int> expected(std::begin(targets), std::end(targets));
    EXPECT_EQ(expected, focus);
    EXPECT_EQ(expected, checkedTarget);
}

// ---------------------------------------------------------------------------
// About box (5101).

class KeyboardAboutTest : public KeyboardTest {
protected:
    // Opens the About box from the user list by keys and closes the list after it.
    void WithAbout(const std::function<void()>& steps) {
        dialogs_.On(kUserList, IDC_USERS_SETTINGS, [](HWND d) { Press(d, 'A', kAlt); });
        steps();
        dialogs_.On(kUserList, IDC_USERS_SETTINGS, [](HWND d) { Press(d, VK_ESCAPE); });
        EXPECT_EQ(0, DisplaySettings());
        ExpectNoProblems();
    }
};

// OK is the box's only stop and it has no mnemonics: Tab stays on OK, a
// letter with Alt does nothing, Enter closes the box.
TEST_F(KeyboardAboutTest, OkIsTheOnlyStopAndEnterCloses) {
    std::vector<int> stops;
    std::map<char, std::vector<int>> mnemonics;
    FocusTrail trail;
    bool stillOpen = false;
    WithAbout([&] {
        dialogs_.On(kAboutCaption, [&](HWND d) {
            stops = TabStops(d);
            mnemonics = Mnemonics(d);
        });
        AddKeyWalk(dialogs_, kAboutCaption, 0, 2, VK_TAB, kPlain, &trail);
        dialogs_.On(kAboutCaption, [](HWND d) { Press(d, 'T', kAlt); });
        dialogs_.On(kAboutCaption, [&](HWND d) {
            stillOpen = true;
            Press(d, VK_RETURN);
        });
    });
    EXPECT_EQ(std::vector<int>{IDOK}, stops);
    EXPECT_TRUE(mnemonics.empty()) << Describe(mnemonics);
    EXPECT_EQ(std::vector<int>({IDOK, IDOK, IDOK}), trail.ids);
    EXPECT_TRUE(stillOpen);
}

TEST_F(KeyboardAboutTest, EscClosesAndWritesNothing) {
    SetProfileString("Users", "LUN", "Jane");
    const RegistrySnapshot before = TakeProductSnapshot();
    bool backInUserList = false;
    WithAbout([&] {
        dialogs_.On(kAboutCaption, [](HWND d) { Press(d, VK_ESCAPE); });
        dialogs_.On(kUserList, IDC_USERS_SETTINGS, [&](HWND) { backInUserList = FindDialog(kAboutCaption) == nullptr; });
    });
    EXPECT_TRUE(backInUserList);
    ExpectOnlyChanges(before, {});
}

// ---------------------------------------------------------------------------
// Every dialog's mnemonics in one walk: one letter, one control, except the
// known pair in the conduit settings (the texts stay as they are).

TEST_F(KeyboardTest, MnemonicsAreUniqueInEveryDialogButTheConduitSettingsPair) {
    SetProfileString("Users\\Jane", "Path", dataFile_);
    std::map<std::string, std::map<char, std::vector<int>>> byDialog;
    dialogs_.On(kUserList, IDC_USERS_SETTINGS, [&](HWND d) {
        byDialog["199"] = Mnemonics(d);
        Press(d, 'A', kAlt);
    });
    dialogs_.On(kAboutCaption, [&](HWND d) {
        byDialog["5101"] = Mnemonics(d);
        Press(d, VK_ESCAPE);
    });
    dialogs_.On(kUserList, IDC_USERS_SETTINGS, [](HWND d) { Press(d, VK_RETURN); });
    dialogs_.On(kUserList, IDC_APPS_CHANGE, [&](HWND d) {
        byDialog["30763"] = Mnemonics(d);
        Press(d, VK_RETURN);
    });
    dialogs_.On(kDateBookSettings, [&](HWND d) {
        byDialog["30738"] = Mnemonics(d);
        Press(d, 'G', kAlt);
    });
    dialogs_.On(kActionCaption, [&](HWND d) {
        byDialog["2001"] = Mnemonics(d);
        Press(d, VK_ESCAPE);
    });
    dialogs_.On(kDateBookSettings, [](HWND d) { Press(d, VK_ESCAPE); });
    dialogs_.On(kUserList, IDC_USERS_SETTINGS, [](HWND d) { Press(d, VK_ESCAPE); });
    EXPECT_EQ(0, DisplaySettings());
    ExpectNoProblems();
    std::vector<std::string> shared;
    for (const auto& dialog : byDialog) {
        std::printf("mnemonics of %s: %s\n", dialog.first.c_str(), Describe(dialog.second).c_str());
        for (const auto& entry : dialog.second) {
            if (entry.second.size() > 1) shared.push_back(dialog.first + ":" + entry.first);
        }
    }
    EXPECT_EQ(5u, byDialog.size());
    EXPECT_EQ(std::vector<std::string>{"30738:A"}, shared);
}
