// Help and the About box, reached through the user list of DisplaySettings.
// Help: the engine named by the HTML Help control's registration (stand-in
// engines record their calls), the fallback by name, the binding kept for the
// process. About box: texts, fonts, colours, rules, cursor and the link, whose
// address goes to a recording stand-in browser.
//
// HKEY_CLASSES_ROOT is redirected per test process (RegOverridePredefKey) to a
// key of its own, so the registrations a test makes are seen by the library
// and the shell of that process only.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/reg_key.h"
#include "resources/twpalmui_ids.h"
#include "tests/settings_fixture.h"
#include "tests/support/help_engine_calls.h"
#include "tests/support/import_patch.h"
#include "tests/support/library_loads.h"
#include "tests/support/private_classes.h"
#include "tests/support/test_paths.h"
#include "tests/support/url_recorder.h"
#include "tests/support/windows_versions.h"

using namespace settingstexts;
using namespace testsupport;

namespace {

const char kLinkAddress[] = "http://www.tidewell.example.com/palm/?src=aboutr&version=1.5r";

std::string ProcessSuffix() { return std::to_string(GetCurrentProcessId()); }

bool IsLoaded(const std::string& path) { return GetModuleHandleA(path.c_str()) != nullptr; }

// ---------------------------------------------------------------------------
// The library's own loads and lookups, seen through its imports.

int g_helpEntryLookups = 0;

FARPROC WINAPI RecordingGetProcAddress(HMODULE module, LPCSTR name) {
    if (reinterpret_cast<ULONG_PTR>(name) == 14) ++g_helpEntryLookups;
    return GetProcAddress(module, name);
}

struct OtherWindowCount {
    HWND userList;
    int others;
};

// A named callback: on i686 a lambda does not convert to the stdcall WNDENUMPROC.
BOOL CALLBACK CountOtherVisibleWindow(HWND window, LPARAM param) {
    auto* count = reinterpret_cast<OtherWindowCount*>(param);
    if (window != count->userList && IsWindowVisible(window)) ++count->others;
    return TRUE;
}

// Visible top-level windows of this thread other than the user list.
int OtherVisibleWindows(HWND userList) {
    OtherWindowCount count = {userList, 0};
    EnumThreadWindows(GetCurrentThreadId(), CountOtherVisibleWindow, reinterpret_cast<LPARAM>(&count));
    return count.others;
}

// ---------------------------------------------------------------------------
// Child processes.

// Runs a copy of this test program, placed in folder under a name of this
// process, in child mode and collects what it prints. Wine loads the copy's
// hhctrl.ocx in the given order ("native", "" for none): a library loaded by
// name is looked for first in the program's own folder, but Wine prefers its
// own builtin engine unless told otherwise.
ChildResult RunCopyIn(const std::string& folder, const std::string& hhctrlOrder, const std::string& child,
                      const std::string& argument) {
    ChildResult result;
    char own[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, own, MAX_PATH);
    const std::string name = "help-child-" + ProcessSuffix() + ".exe";
    const std::string program = folder + "\\" + name;
    if (!CopyFileA(own, program.c_str(), FALSE)) return result;
    const std::string appDefaults = "Software\\Wine\\AppDefaults\\" + name;
    RegKey::Create(HKEY_CURRENT_USER, (appDefaults + "\\DllOverrides").c_str()).WriteString("hhctrl.ocx", hhctrlOrder);
    result = RunChildProgram(program, child, argument, folder);
    DeleteKeyTree(HKEY_CURRENT_USER, appDefaults.c_str());
    // Text written by the child comes with CR LF line ends.
    std::string text;
    for (char c : result.output) {
        if (c != '\r') text += c;
    }
    result.output = text;
    return result;
}

// In a child: shows the user list of the library in binDir and acts on it
// step by step, then closes it. False when the list could not be driven.
bool DriveUserList(const std::string& binDir, const std::vector<std::function<void(HWND)>>& steps) {
    Module twpalmui = Module::Load((binDir + "\\twpalmui.dll").c_str());
    auto display = twpalmui.Find<int(WINAPI*)(HWND)>("DisplaySettings");
    if (!display) return false;
    LibraryLoads loads(twpalmui.get());
    MessageBoxDriver boxes;
    boxes.Watch(twpalmui.get());
    DialogDriver dialogs;
    for (const auto& step : steps) dialogs.On(kUserListCaption, IDC_USERS_SETTINGS, step);
    dialogs.On(kUserListCaption, IDC_USERS_SETTINGS, [](HWND dialog) { Click(dialog, IDCANCEL); });
    const bool shown = display(nullptr) == 0 && dialogs.problems().empty();
    std::printf("boxes=%d loads=", static_cast<int>(boxes.seen().size()));
    for (const std::string& load : loads.BesidesUserManager()) std::printf("[%s]", load.c_str());
    std::printf("\n");
    boxes.StopWatching();
    return shown;
}

// Child entry, run from a folder that holds the stand-in engine as
// hhctrl.ocx: the help engine's registration is broken as the argument says
// ("<case>|<bin folder>": missing-file, no-value, no-key), Help is clicked
// twice. Prints the loads and the calls.
int HelpByName(const std::string& argument) {
    const std::string mode = argument.substr(0, argument.find('|'));
    const std::string binDir = argument.substr(argument.find('|') + 1);
    char own[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, own, MAX_PATH);
    const std::string folder = std::string(own).substr(0, std::string(own).rfind('\\'));
    const std::string missing = folder + "\\uninstalled\\hhctrl.ocx";
    PrivateClasses classes;
    if (!classes.overridden()) return 2;
    if (mode == "missing-file") {
        if (!PrivateClasses::SetDefault(kHelpServerKey, missing)) return 3;
    } else if (mode == "no-value") {
        if (!RegKey::Create(HKEY_CLASSES_ROOT, kHelpServerKey).WriteString("ThreadingModel", "Apartment")) return 3;
    } else if (mode != "no-key") {
        return 4;
    }
    HWND userList = nullptr;
    const auto help = [&](HWND dialog) {
        userList = dialog;
        Click(dialog, IDC_HELP_BUTTON);
    };
    if (!DriveUserList(binDir, {help, help})) return 5;
    for (const HelpCall& call : EngineCalls()) {
        std::printf("call engine=%s file=%s command=%lu data=%llu caller=%s\n",
                    call.engine == folder + "\\hhctrl.ocx" ? "beside-program" : call.engine.c_str(),
                    call.file == binDir + "\\twpalm.chm" ? "beside-library" : call.file.c_str(),
                    static_cast<unsigned long>(call.command), call.data,
                    call.caller == reinterpret_cast<ULONG_PTR>(userList) ? "user-list" : "other");
    }
    ForgetEngineCalls();
    return 0;
}
ChildRegistration helpByNameChild("help-by-name", HelpByName);

// Child entry: no registration, and hhctrl.ocx disabled for this program by
// the parent. Help is clicked twice; prints what the library tried and what
// appeared.
int HelpWithoutEngine(const std::string& binDir) {
    PrivateClasses classes;
    if (!classes.overridden()) return 2;
    if (Module::LoadQuietly("hhctrl.ocx")) return 3;  // the arrangement did not take
    int windows = 0;
    const auto help = [](HWND dialog) { Click(dialog, IDC_HELP_BUTTON); };
    const auto count = [&](HWND dialog) { windows += OtherVisibleWindows(dialog); };
    if (!DriveUserList(binDir, {help, count, help, count})) return 4;
    std::printf("windows=%d calls=%d\n", windows, static_cast<int>(EngineCalls().size()));
    return 0;
}
ChildRegistration helpWithoutEngineChild("help-without-engine", HelpWithoutEngine);

}  // namespace

// ---------------------------------------------------------------------------
// Help

class HelpTest : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        ForgetEngineCalls();
        classes_ = std::make_unique<PrivateClasses>();
        ASSERT_TRUE(classes_->overridden());
        palm_.AddUser(5, "Jane");
        g_helpEntryLookups = 0;
    }
    void TearDown() override {
        classes_.reset();
        ForgetEngineCalls();
        // Engines this process loaded stay: they are never freed.
        for (const std::string& folder : scratch_) RemoveTree(folder);
        SettingsTest::TearDown();
    }

    std::string Scratch(const std::string& name) {
        scratch_.push_back(MakeScratchDir(name));
        return scratch_.back();
    }
    std::string PlaceEngine(const std::string& variant, const std::string& folder) {
        return PlaceHelpEngine(variant, Scratch(folder));
    }
    void RegisterEngine(const std::string& path) {
        ASSERT_TRUE(PrivateClasses::SetDefault(kHelpServerKey, path));
    }

    // Shows the user list, runs each step on it in turn (one driver step
    // each, so that what a step posts is handled before the next), closes it.
    void WithUserList(const std::vector<Action>& steps) {
        for (const auto& step : steps) {
            OnUserList([this, step](HWND dialog) {
                userList_ = dialog;
                step(dialog);
            });
        }
        CloseUserList();
        EXPECT_EQ(0, DisplaySettings());
    }

    static void ClickHelp(HWND userList) { Click(userList, IDC_HELP_BUTTON); }

    // Runs the by-name child from a folder holding the stand-in as hhctrl.ocx.
    ChildResult RunByName(const std::string& mode) {
        byNameFolder_ = Scratch("by-name");
        EXPECT_EQ(byNameFolder_ + "\\hhctrl.ocx", PlaceHelpEngine("helpengine", byNameFolder_, "hhctrl.ocx"));
        return RunCopyIn(byNameFolder_, "native", "help-by-name", mode + "|" + BinDir());
    }

    std::unique_ptr<PrivateClasses> classes_;
    HWND userList_ = nullptr;
    std::string byNameFolder_;
    std::vector<std::string> scratch_;
};

TEST_F(HelpTest, HelpButtonOpensTheHelpFileBesideTheLibraryThroughTheRegisteredEngine) {
    const std::string engine = PlaceEngine("helpengine", "engine");
    RegisterEngine(engine);
    ASSERT_FALSE(IsLoaded(engine));
    std::vector<size_t> callsAfterClick;
    WithUserList({ClickHelp, [&](HWND) { callsAfterClick.push_back(EngineCalls().size()); }});

    EXPECT_EQ(std::vector<size_t>{1}, callsAfterClick) << "the call is made while the click is handled";
    const std::vector<HelpCall> calls = EngineCalls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(engine, calls[0].engine);
    EXPECT_EQ(BinDir() + "\\twpalm.chm", calls[0].file);
    EXPECT_TRUE(PathExists(calls[0].file));
    EXPECT_EQ(0u, calls[0].command);  // HH_DISPLAY_TOPIC
    EXPECT_EQ(0u, calls[0].data);
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(userList_), calls[0].caller);
    EXPECT_TRUE(boxes_.seen().empty());
    EXPECT_TRUE(IsLoaded(engine));
}

TEST_F(HelpTest, HelpFromAnotherDialogOpensTheSameTopicForTheUserList) {
    const std::string engine = PlaceEngine("helpengine", "engine");
    RegisterEngine(engine);
    // The help command of any dialog ends in the same request; the calling
    // window stays the main window, the user list.
    HWND about = nullptr;
    OnUserList([&](HWND dialog) {
        userList_ = dialog;
        Click(dialog, IDC_USERS_ABOUT);
    });
    dialogs_.On(kAboutCaption, IDC_ABOUT_LINK, [&](HWND dialog) {
        about = dialog;
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_HELP_BUTTON, BN_CLICKED), 0);
    });
    dialogs_.On(kAboutCaption, IDC_ABOUT_LINK, Clicking(IDOK));
    CloseUserList();
    DisplaySettings();

    const std::vector<HelpCall> calls = EngineCalls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(BinDir() + "\\twpalm.chm", calls[0].file);
    EXPECT_EQ(0u, calls[0].command);
    EXPECT_EQ(0u, calls[0].data);
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(userList_), calls[0].caller);
    EXPECT_NE(reinterpret_cast<ULONG_PTR>(about), calls[0].caller);
}

TEST_F(HelpTest, LaterRequestsUseTheLoadedEngineWithoutReadingTheRegistryAgain) {
    const std::string first = PlaceEngine("helpengine", "first");
    const std::string second = PlaceEngine("helpengine", "second");
    RegisterEngine(first);
    LibraryLoads loads(twpalmui_.get());
    ASSERT_TRUE(loads.applied());
    WithUserList({ClickHelp, [&](HWND dialog) {
                      RegisterEngine(second);
                      ClickHelp(dialog);
                  }});
    // A new visit of the user list in the same process keeps the binding too.
    WithUserList({ClickHelp});

    const std::vector<HelpCall> calls = EngineCalls();
    ASSERT_EQ(3u, calls.size());
    for (const HelpCall& call : calls) EXPECT_EQ(first, call.engine);
    EXPECT_FALSE(IsLoaded(second));
    EXPECT_EQ(std::vector<std::string>{first}, loads.BesidesUserManager());
}

// A registration that names no usable engine is no error: the engine is
// loaded by name, beside the program, and asked twice.
struct EngineByName {
    const char* name;
    const char* registration;  // the child's mode
    const char* loadsBefore;   // what it tries before "hhctrl.ocx", below the by-name folder
};

class HelpFallbackTest : public HelpTest, public ::testing::WithParamInterface<EngineByName> {};

TEST_P(HelpFallbackTest, FallsBackToTheEngineByName) {
    const ChildResult child = RunByName(GetParam().registration);
    ASSERT_EQ(0, child.exitCode) << child.output;
    const std::string before = *GetParam().loadsBefore ? "[" + byNameFolder_ + GetParam().loadsBefore + "]" : "";
    EXPECT_EQ("boxes=0 loads=" + before + "[hhctrl.ocx]\n"
              "call engine=beside-program file=beside-library command=0 data=0 caller=user-list\n"
              "call engine=beside-program file=beside-library command=0 data=0 caller=user-list\n",
              child.output);
}

INSTANTIATE_TEST_SUITE_P(
    Registrations, HelpFallbackTest,
    ::testing::Values(EngineByName{"RegisteredEngineFileThatIsGone", "missing-file", "\\uninstalled\\hhctrl.ocx"},
                      EngineByName{"RegistrationWithoutAPath", "no-value", ""},
                      EngineByName{"MissingRegistration", "no-key", ""}),
    [](const ::testing::TestParamInfo<EngineByName>& info) { return std::string(info.param.name); });

TEST_F(HelpTest, EngineWithoutTheHelpEntryDoesNothingAndIsAskedAgainEachTime) {
    const std::string engine = PlaceEngine("helpengine-without-HtmlHelpA", "engine");
    const std::string working = PlaceEngine("helpengine", "working");
    RegisterEngine(engine);
    LibraryLoads loads(twpalmui_.get());
    ImportPatch lookups(twpalmui_.get(), "KERNEL32.dll", "GetProcAddress",
                        reinterpret_cast<void*>(&RecordingGetProcAddress));
    ASSERT_TRUE(loads.applied());
    ASSERT_TRUE(lookups.applied());
    std::vector<int> lookupsAfterClick;
    std::vector<int> windowsAfterClick;
    const auto count = [&](HWND dialog) {
        lookupsAfterClick.push_back(g_helpEntryLookups);
        windowsAfterClick.push_back(OtherVisibleWindows(dialog));
    };
    // The engine stays bound: a working one registered later is not loaded.
    WithUserList({ClickHelp, count,
                  [&](HWND dialog) {
                      RegisterEngine(working);
                      ClickHelp(dialog);
                  },
                  count, ClickHelp, count});

    EXPECT_EQ(std::vector<int>({1, 2, 3}), lookupsAfterClick);
    EXPECT_EQ(std::vector<int>({0, 0, 0}), windowsAfterClick);
    EXPECT_EQ(std::vector<std::string>{engine}, loads.BesidesUserManager());
    EXPECT_TRUE(IsLoaded(engine));
    EXPECT_FALSE(IsLoaded(working));
    EXPECT_TRUE(EngineCalls().empty()) << "the variant's other export was called";
    EXPECT_TRUE(boxes_.seen().empty());
}

TEST_F(HelpTest, NoEngineAnywhereShowsNothingAndIsNotLoadedAgain) {
    const ChildResult child = RunCopyIn(Scratch("no-engine"), "", "help-without-engine", BinDir());
    ASSERT_EQ(0, child.exitCode) << child.output;
    // One attempt by name for both requests; no box, no window, no call.
    EXPECT_EQ("boxes=0 loads=[hhctrl.ocx]\nwindows=0 calls=0\n", child.output);
}

// ---------------------------------------------------------------------------
// About box

namespace {

LOGFONTA FontOf(HWND window) {
    LOGFONTA description = {};
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    if (!font || GetObjectA(font, sizeof description, &description) != sizeof description) {
        lstrcpyA(description.lfFaceName, "<no font>");
    }
    return description;
}

LONG TenPointHeight() {
    HDC screen = GetDC(nullptr);
    const LONG height = -MulDiv(10, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return height;
}

// Child entry: opens the About box and prints its title font.
int PrintAboutTitleFont(const std::string&) {
    Module twpalmui = Module::Load((BinDir() + "\\twpalmui.dll").c_str());
    auto display = twpalmui.Find<int(WINAPI*)(HWND)>("DisplaySettings");
    if (!display) return 2;
    LOGFONTA title = {};
    DialogDriver dialogs;
    dialogs.On(kUserListCaption, IDC_USERS_SETTINGS, [](HWND dialog) { Click(dialog, IDC_USERS_ABOUT); })
        .On(kAboutCaption, IDC_ABOUT_LINK,
            [&](HWND about) {
                title = FontOf(GetDlgItem(about, IDC_ABOUT_TITLE));
                Click(about, IDOK);
            })
        .On(kUserListCaption, IDC_USERS_SETTINGS, [](HWND dialog) { Click(dialog, IDCANCEL); });
    if (display(nullptr) != 0 || !dialogs.problems().empty()) return 3;
    std::printf("%s %ld %ld", title.lfFaceName, title.lfWeight, title.lfHeight);
    return 0;
}
ChildRegistration aboutTitleFontChild("about-title-font", PrintAboutTitleFont);

// What WM_CTLCOLORSTATIC leaves in a device context and hands back; the
// brush's colour is read at once (the box deletes its brush when it closes).
struct Colouring {
    COLORREF text;
    COLORREF background;
    HBRUSH brush;
    COLORREF brushColour;
};

// A solid brush's colour; a marker for anything else.
COLORREF BrushColour(HBRUSH brush) {
    LOGBRUSH description = {};
    if (!brush || GetObjectA(brush, sizeof description, &description) != sizeof description ||
        description.lbStyle != BS_SOLID) {
        return 0xFF000000;
    }
    return description.lbColor;
}

const COLORREF kProbeText = RGB(1, 2, 3);
const COLORREF kProbeBackground = RGB(4, 5, 6);

Colouring ColourOf(HWND dialog, HWND control, bool byDefault = false) {
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, kProbeText);
    SetBkColor(dc, kProbeBackground);
    const WPARAM wParam = reinterpret_cast<WPARAM>(dc);
    const LPARAM lParam = reinterpret_cast<LPARAM>(control);
    const LRESULT brush = byDefault ? DefWindowProcA(dialog, WM_CTLCOLORSTATIC, wParam, lParam)
                                    : SendMessageA(dialog, WM_CTLCOLORSTATIC, wParam, lParam);
    Colouring colouring = {GetTextColor(dc), GetBkColor(dc), reinterpret_cast<HBRUSH>(brush),
                           BrushColour(reinterpret_cast<HBRUSH>(brush))};
    DeleteDC(dc);
    return colouring;
}

// A cursor's look: hot spot and the bits of its mask and colour bitmaps.
struct CursorLook {
    DWORD hotX = 0, hotY = 0;
    std::vector<BYTE> mask, colour;
    bool operator==(const CursorLook& other) const {
        return hotX == other.hotX && hotY == other.hotY && mask == other.mask && colour == other.colour;
    }
};

std::vector<BYTE> BitmapBits(HBITMAP bitmap) {
    BITMAP description = {};
    if (!bitmap || !GetObjectA(bitmap, sizeof description, &description)) return {};
    std::vector<BYTE> bits(static_cast<size_t>(description.bmWidthBytes) * description.bmHeight);
    GetBitmapBits(bitmap, static_cast<LONG>(bits.size()), bits.data());
    return bits;
}

CursorLook LookOf(HCURSOR cursor) {
    CursorLook look;
    ICONINFO info = {};
    if (!cursor || !GetIconInfo(cursor, &info)) return look;
    look.hotX = info.xHotspot;
    look.hotY = info.yHotspot;
    look.mask = BitmapBits(info.hbmMask);
    look.colour = BitmapBits(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    return look;
}

// The centre of a control in the dialog's client coordinates, as a mouse
// message carries it.
LPARAM CentreOf(HWND dialog, int id) {
    RECT rect = {};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    POINT centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ScreenToClient(dialog, &centre);
    return MAKELPARAM(centre.x, centre.y);
}

// Static controls are transparent to hit-testing: the box itself gets the
// mouse messages over them. Sent, so that a step sees the outcome at once.
void Mouse(HWND dialog, UINT message, LPARAM point) {
    SendMessageA(dialog, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, point);
}

// The system colour for the scope; broadcast to every window, as the
// Control Panel does.
class SystemColour {
public:
    SystemColour(int index, COLORREF colour) : index_(index), original_(GetSysColor(index)) {
        SetSysColors(1, &index_, &colour);
    }
    ~SystemColour() { SetSysColors(1, &index_, &original_); }
    SystemColour(const SystemColour&) = delete;
    SystemColour& operator=(const SystemColour&) = delete;

private:
    int index_;
    COLORREF original_;
};

}  // namespace

class AboutBoxTest : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        palm_.AddUser(5, "Jane");
        // The real pointer stays away from the boxes: only the test's mouse
        // messages reach them.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    }

    // Opens the About box from the user list, runs each step on it in turn,
    // then presses OK and closes the list.
    void WithAboutBox(const std::vector<Action>& steps) {
        OnUserList([this](HWND dialog) {
            userList_ = dialog;
            Click(dialog, IDC_USERS_ABOUT);
        });
        for (const auto& step : steps) {
            dialogs_.On(kAboutCaption, IDC_ABOUT_LINK, [this, step](HWND about) {
                about_ = about;
                step(about);
            });
        }
        dialogs_.On(kAboutCaption, IDC_ABOUT_LINK, Clicking(IDOK));
        CloseUserList();
        EXPECT_EQ(0, DisplaySettings());
        EXPECT_TRUE(boxes_.seen().empty());
    }

    HWND userList_ = nullptr;
    HWND about_ = nullptr;
};

TEST_F(AboutBoxTest, ShowsTheProductVersionLegalWarningAndIconOverTheUserList) {
    char legal[1024] = {};
    ASSERT_GT(LoadStringA(twpalmui_.get(), IDS_LEGAL_WARNING, legal, sizeof legal), 200);
    bool userListEnabled = true;
    HWND owner = nullptr;
    std::string title, version, legalText, link;
    HICON icon = nullptr;
    WithAboutBox({[&](HWND about) {
        owner = GetWindow(about, GW_OWNER);
        userListEnabled = IsWindowEnabled(userList_) != FALSE;
        title = ControlText(about, IDC_ABOUT_TITLE);
        version = ControlText(about, IDC_ABOUT_VERSION);
        legalText = ControlText(about, IDC_ABOUT_LEGAL);
        link = ControlText(about, IDC_ABOUT_LINK);
        icon = reinterpret_cast<HICON>(SendDlgItemMessageA(about, IDC_ABOUT_ICON, STM_GETICON, 0, 0));
    }});
    EXPECT_EQ(userList_, owner);
    EXPECT_FALSE(userListEnabled) << "the About box is modal over the user list";
    EXPECT_EQ("Tidewell\x99 for Palm", title);
    EXPECT_EQ("Version 1.5", version);
    EXPECT_EQ(legal, legalText);
    EXPECT_FALSE(link.empty());
    EXPECT_TRUE(icon != nullptr);
}

TEST_F(AboutBoxTest, FontsDeriveFromTheDialogFontAndAreReleasedWithTheBox) {
    LOGFONTA dialog = {}, title = {}, version = {}, link = {};
    HGDIOBJ created[3] = {};
    HFONT noticeFont = nullptr, dialogFont = nullptr;
    WithAboutBox({[&](HWND about) {
        dialog = FontOf(about);
        title = FontOf(GetDlgItem(about, IDC_ABOUT_TITLE));
        version = FontOf(GetDlgItem(about, IDC_ABOUT_VERSION));
        link = FontOf(GetDlgItem(about, IDC_ABOUT_LINK));
        const int ids[] = {IDC_ABOUT_TITLE, IDC_ABOUT_VERSION, IDC_ABOUT_LINK};
        for (int i = 0; i < 3; ++i) {
            created[i] = reinterpret_cast<HGDIOBJ>(SendDlgItemMessageA(about, ids[i], WM_GETFONT, 0, 0));
        }
        dialogFont = reinterpret_cast<HFONT>(SendMessageA(about, WM_GETFONT, 0, 0));
        noticeFont = reinterpret_cast<HFONT>(SendDlgItemMessageA(about, IDC_ABOUT_NOTICE, WM_GETFONT, 0, 0));
    }});
    ASSERT_STREQ("MS Sans Serif", dialog.lfFaceName);
    const LONG tenPoints = TenPointHeight();
    ASSERT_NE(dialog.lfHeight, tenPoints);

    // Windows 7 (Wine's default): the title in Segoe UI, bold, 10 points.
    EXPECT_STREQ("Segoe UI", title.lfFaceName);
    EXPECT_EQ(700, title.lfWeight);
    EXPECT_EQ(tenPoints, title.lfHeight);
    EXPECT_FALSE(title.lfUnderline);
    // The version line: the dialog's face and weight at 10 points.
    EXPECT_STREQ(dialog.lfFaceName, version.lfFaceName);
    EXPECT_EQ(dialog.lfWeight, version.lfWeight);
    EXPECT_EQ(tenPoints, version.lfHeight);
    EXPECT_FALSE(version.lfUnderline);
    // The link: the dialog font underlined.
    EXPECT_STREQ(dialog.lfFaceName, link.lfFaceName);
    EXPECT_EQ(dialog.lfHeight, link.lfHeight);
    EXPECT_EQ(dialog.lfWeight, link.lfWeight);
    EXPECT_TRUE(link.lfUnderline);
    // Other controls keep the dialog font.
    EXPECT_EQ(dialogFont, noticeFont);
    // The box made its three fonts and deleted them when it closed.
    for (HGDIOBJ font : created) {
        EXPECT_NE(reinterpret_cast<HGDIOBJ>(dialogFont), font);
        EXPECT_EQ(0u, GetObjectType(font)) << "a font outlived the box";
    }
}

TEST_F(AboutBoxTest, TitleFaceFollowsTheWindowsGeneration) {
    const std::string tenPoints = std::to_string(TenPointHeight());
    const struct {
        const char* version;
        const char* face;
    } cases[] = {{"win2k", "Tahoma"}, {"winxp", "Tahoma"}, {"vista", "Segoe UI"}, {"win7", "Segoe UI"}};
    for (const auto& c : cases) {
        const ChildResult child = RunChildAs(c.version, "about-title-font");
        EXPECT_EQ(0, child.exitCode) << c.version << ": " << child.output;
        EXPECT_EQ(std::string(c.face) + " 700 " + tenPoints, child.output) << c.version;
    }
}

TEST_F(AboutBoxTest, RulesReachTheRightEdgeOfTheBox) {
    // Position and size are converted apart, as when the box was made.
    RECT box = {}, top = {}, bottom = {};
    RECT topPlace = {0, 32, 0, 0}, bottomPlace = {0, 148, 0, 0}, ruleSize = {0, 0, 0, 1};
    WithAboutBox({[&](HWND about) {
        GetWindowRect(about, &box);
        GetWindowRect(GetDlgItem(about, IDC_ABOUT_TOP_RULE), &top);
        GetWindowRect(GetDlgItem(about, IDC_ABOUT_BOTTOM_RULE), &bottom);
        MapWindowPoints(nullptr, about, reinterpret_cast<POINT*>(&top), 2);
        MapWindowPoints(nullptr, about, reinterpret_cast<POINT*>(&bottom), 2);
        MapDialogRect(about, &topPlace);
        MapDialogRect(about, &bottomPlace);
        MapDialogRect(about, &ruleSize);
    }});
    const LONG width = box.right - box.left;
    ASSERT_GT(width, 0);
    EXPECT_EQ(width, top.right - top.left);
    EXPECT_EQ(width, bottom.right - bottom.left);
    // Left edge, top and height stay those of the template.
    EXPECT_EQ(topPlace.left, top.left);
    EXPECT_EQ(topPlace.top, top.top);
    EXPECT_EQ(ruleSize.bottom, top.bottom - top.top);
    EXPECT_EQ(bottomPlace.left, bottom.left);
    EXPECT_EQ(bottomPlace.top, bottom.top);
    EXPECT_EQ(ruleSize.bottom, bottom.bottom - bottom.top);
}

TEST_F(AboutBoxTest, HeaderStripIsWindowColouredAndTheLinkBlue) {
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    std::vector<Colouring> strip;
    Colouring link = {}, linkDefault = {}, notice = {}, noticeDefault = {};
    WithAboutBox({[&](HWND about) {
        for (int id : {IDC_ABOUT_TITLE, IDC_ABOUT_VERSION, IDC_ABOUT_BAND, IDC_ABOUT_ICON}) {
            strip.push_back(ColourOf(about, GetDlgItem(about, id)));
        }
        link = ColourOf(about, GetDlgItem(about, IDC_ABOUT_LINK));
        linkDefault = ColourOf(about, GetDlgItem(about, IDC_ABOUT_LINK), true);
        notice = ColourOf(about, GetDlgItem(about, IDC_ABOUT_NOTICE));
        noticeDefault = ColourOf(about, GetDlgItem(about, IDC_ABOUT_NOTICE), true);
    }});
    ASSERT_EQ(4u, strip.size());
    ASSERT_NE(window, linkDefault.brushColour) << "the default brush must differ for this test";

    // Title and version: window-coloured background and brush.
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i == 0 ? "title" : "version");
        EXPECT_EQ(window, strip[i].background);
        EXPECT_EQ(window, strip[i].brushColour);
    }
    // Band and icon: the same brush, the device context as it was.
    for (int i = 2; i < 4; ++i) {
        SCOPED_TRACE(i == 2 ? "band" : "icon");
        EXPECT_EQ(strip[0].brush, strip[i].brush);
        EXPECT_EQ(window, strip[i].brushColour);
    }
    // The link: blue text on the default background.
    EXPECT_EQ(RGB(0, 0, 255), link.text);
    EXPECT_EQ(linkDefault.brush, link.brush);
    EXPECT_EQ(linkDefault.background, link.background);
    // Everything else is coloured by default.
    EXPECT_EQ(noticeDefault.brush, notice.brush);
    EXPECT_EQ(noticeDefault.text, notice.text);
    EXPECT_EQ(noticeDefault.background, notice.background);
    // The strip's brush was the box's own: deleted with it.
    EXPECT_EQ(0u, GetObjectType(strip[0].brush));
}

TEST_F(AboutBoxTest, HeaderStripFollowsAChangeOfTheWindowColour) {
    const COLORREF original = GetSysColor(COLOR_WINDOW);
    const COLORREF changed = original == RGB(0x33, 0x66, 0x99) ? RGB(0x99, 0x66, 0x33) : RGB(0x33, 0x66, 0x99);
    Colouring before = {}, during = {}, bandDuring = {}, after = {};
    WithAboutBox({[&](HWND about) {
        before = ColourOf(about, GetDlgItem(about, IDC_ABOUT_TITLE));
        {
            SystemColour colour(COLOR_WINDOW, changed);
            during = ColourOf(about, GetDlgItem(about, IDC_ABOUT_TITLE));
            bandDuring = ColourOf(about, GetDlgItem(about, IDC_ABOUT_BAND));
        }
        after = ColourOf(about, GetDlgItem(about, IDC_ABOUT_TITLE));
    }});
    ASSERT_EQ(original, GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(original, before.brushColour);
    EXPECT_EQ(changed, during.brushColour);
    EXPECT_EQ(changed, during.background);
    EXPECT_EQ(changed, bandDuring.brushColour);
    EXPECT_EQ(original, after.brushColour);
    EXPECT_EQ(original, after.background);
}

TEST_F(AboutBoxTest, CursorIsTheHandOverTheLinkAndWhileThePressIsHeld) {
    const HCURSOR arrow = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    HCURSOR handResource = static_cast<HCURSOR>(
        LoadImageA(twpalmui_.get(), MAKEINTRESOURCEA(IDR_HAND_CURSOR), IMAGE_CURSOR, 0, 0, 0));
    ASSERT_TRUE(handResource != nullptr);
    const CursorLook hand = LookOf(handResource);
    DestroyCursor(handResource);
    ASSERT_EQ(13u, hand.hotX);
    ASSERT_EQ(7u, hand.hotY);
    ASSERT_FALSE(hand == LookOf(arrow));

    struct Seen {
        const char* when;
        HCURSOR cursor;
        CursorLook look;  // the box's cursor is gone after it closes
        bool captured;
    };
    std::vector<Seen> seen;
    LRESULT clientSetCursor = -1;
    WithAboutBox({[&](HWND about) {
        const LPARAM onLink = CentreOf(about, IDC_ABOUT_LINK);
        const LPARAM offLink = CentreOf(about, IDC_ABOUT_NOTICE);
        const auto note = [&](const char* when) {
            seen.push_back({when, GetCursor(), LookOf(GetCursor()), GetCapture() == about});
        };
        Mouse(about, WM_MOUSEMOVE, offLink);
        note("over the notice");
        Mouse(about, WM_MOUSEMOVE, onLink);
        note("over the link");
        // The system does not reset the cursor over the box's client area...
        clientSetCursor = SendMessageA(about, WM_SETCURSOR, reinterpret_cast<WPARAM>(about),
                                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        note("after WM_SETCURSOR in the client area");
        // ...but elsewhere it does.
        SendMessageA(about, WM_SETCURSOR, reinterpret_cast<WPARAM>(about), MAKELPARAM(HTCAPTION, WM_MOUSEMOVE));
        note("after WM_SETCURSOR over the caption");
        Mouse(about, WM_LBUTTONDOWN, onLink);
        Mouse(about, WM_MOUSEMOVE, offLink);
        note("pressed on the link, moved off");
        Mouse(about, WM_LBUTTONUP, offLink);
        Mouse(about, WM_MOUSEMOVE, offLink);
        note("released off the link");
    }});
    ASSERT_EQ(6u, seen.size());
    const struct {
        bool hand;
        bool captured;
    } expected[] = {{false, false}, {true, false}, {true, false}, {false, false}, {true, true}, {false, false}};
    for (size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(seen[i].when);
        if (expected[i].hand) {
            EXPECT_TRUE(seen[i].look == hand) << "not the hand";
        } else {
            EXPECT_EQ(arrow, seen[i].cursor);
        }
        EXPECT_EQ(expected[i].captured, seen[i].captured);
    }
    EXPECT_EQ(TRUE, clientSetCursor);
}

TEST_F(AboutBoxTest, OnlyAClickOnTheLinkOpensTheProductPage) {
    PrivateClasses classes;
    ASSERT_TRUE(classes.overridden());
    const std::string folder = MakeScratchDir("browser");
    const std::string record = folder + "\\opened.txt";
    ASSERT_TRUE(RecordWebAddressOpens(record));
    std::vector<bool> capturedAfterPress;
    std::vector<bool> openedAfter;
    WithAboutBox({[&](HWND about) {
        const LPARAM onLink = CentreOf(about, IDC_ABOUT_LINK);
        const LPARAM offLink = CentreOf(about, IDC_ABOUT_NOTICE);
        // Pressed on the link, released elsewhere: cancelled.
        Mouse(about, WM_LBUTTONDOWN, onLink);
        capturedAfterPress.push_back(GetCapture() == about);
        Mouse(about, WM_LBUTTONUP, offLink);
        openedAfter.push_back(PathExists(record));
        // Pressed elsewhere, released on the link: no capture, nothing.
        Mouse(about, WM_LBUTTONDOWN, offLink);
        capturedAfterPress.push_back(GetCapture() == about);
        Mouse(about, WM_LBUTTONUP, onLink);
        openedAfter.push_back(PathExists(record));
        // Pressed and released on the link.
        Mouse(about, WM_LBUTTONDOWN, onLink);
        capturedAfterPress.push_back(GetCapture() == about);
        Mouse(about, WM_LBUTTONUP, onLink);
        capturedAfterPress.push_back(GetCapture() == about);
    }});
    EXPECT_EQ(std::vector<bool>({true, false, true, false}), capturedAfterPress);
    EXPECT_EQ(std::vector<bool>({false, false}), openedAfter);
    EXPECT_EQ(std::string(kLinkAddress) + "\n", RecordedOpens(record));
    RemoveTree(folder);
}
