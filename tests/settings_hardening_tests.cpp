// The settings library against hostile registry values and over-long input,
// through its exports and real dialogs.
//
// Hostile registry sweep: every value the library reads outside the Settings
// Summary is stored in turn as a value of the wrong type, a string without
// its terminating zero, zero bytes, a string just over MAX_PATH (261
// characters) and 64 KB; the operation that reads it runs, and must not
// crash, must use the documented default or a sane reading, and must leave
// the product's registry keys as they were apart from what the operation
// documents it writes.
//
// What a sane reading is: a string value is its bytes up to the first zero or
// to the end of the data, whatever the type (the library does not examine
// types); an integer value is its first four bytes, shorter data zero-extended,
// zero bytes read as the default, then normalised into its range. A path that
// does not fit a MAX_PATH buffer names no file or folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/palm_api.h"
#include "common/reg_key.h"
#include "resources/twpalmui_ids.h"
#include "tests/support/registry_snapshot.h"
#include "tests/settings_fixture.h"
#include "tests/support/help_engine_calls.h"
#include "tests/support/import_patch.h"
#include "tests/support/library_loads.h"
#include "tests/support/private_classes.h"
#include "tests/support/test_paths.h"
#include "tests/support/windows_versions.h"

using namespace settingstexts;
using namespace testsupport;

namespace {

const char kProfileRoot[] = "Software\\Quillon Software\\Orvelle";
const char kAlmanorCommon[] = "Software\\Quillon Software\\Almanor\\Common";
const char kAlmanorInstall[] = "SOFTWARE\\Quillon Software\\Almanor\\Install";

// ---------------------------------------------------------------------------
// Hostile values.

enum class Hostile { kWrongType, kUnterminated, kZeroBytes, kJustOverMaxPath, k64K };
const Hostile kAllHostile[] = {Hostile::kWrongType, Hostile::kUnterminated, Hostile::kZeroBytes,
                               Hostile::kJustOverMaxPath, Hostile::k64K};

const char* HostileName(Hostile kind) {
    switch (kind) {
    case Hostile::kWrongType: return "wrong type";
    case Hostile::kUnterminated: return "no terminating zero";
    case Hostile::kZeroBytes: return "zero bytes";
    case Hostile::kJustOverMaxPath: return "261 characters";
    case Hostile::k64K: return "64 KB";
    }
    return "?";
}

const size_t kJustOverMaxPath = MAX_PATH + 1;  // 261
const size_t k64K = 65536;

struct StoredValue {
    DWORD type = REG_SZ;
    std::vector<BYTE> bytes;
};

StoredValue Bytes(DWORD type, const std::string& text, bool terminated) {
    StoredValue value;
    value.type = type;
    value.bytes.assign(text.begin(), text.end());
    if (terminated) value.bytes.push_back(0);
    return value;
}

// A string value of each kind. The unterminated one carries `text` without its
// zero (a text that works, so that using exactly its bytes shows); the long
// ones are longText(n) for n characters, stored with their zero.
StoredValue HostileString(Hostile kind, const std::string& text,
                          const std::function<std::string(size_t)>& longText) {
    switch (kind) {
    case Hostile::kWrongType: {
        StoredValue value;
        value.type = REG_DWORD;  // 0x41424344: the bytes "DCBA", no zero
        value.bytes = {0x44, 0x43, 0x42, 0x41};
        return value;
    }
    case Hostile::kUnterminated: return Bytes(REG_SZ, text, false);
    case Hostile::kZeroBytes: return Bytes(REG_SZ, "", false);
    case Hostile::kJustOverMaxPath: return Bytes(REG_SZ, longText(kJustOverMaxPath), true);
    case Hostile::k64K: return Bytes(REG_SZ, longText(k64K - 1), true);
    }
    return StoredValue();
}

// A path value of each kind: text where it is kept whole, and for the long
// kinds a file in folder named with fill characters (ending in suffix) to the
// length the kind asks for.
StoredValue HostilePath(Hostile kind, const std::string& text, const std::string& folder, char fill,
                        const std::string& suffix = "") {
    return HostileString(kind, text, [&](size_t n) {
        return folder + "\\" + std::string(n - folder.size() - 1 - suffix.size(), fill) + suffix;
    });
}

// An integer value of each kind: a string "2", an unterminated string "1",
// zero bytes, 261 characters "1111...", 64 KB of binary data starting with
// the bytes of -2.
StoredValue HostileDword(Hostile kind) {
    switch (kind) {
    case Hostile::kWrongType: return Bytes(REG_SZ, "2", true);
    case Hostile::kUnterminated: return Bytes(REG_SZ, "1", false);
    case Hostile::kZeroBytes: return Bytes(REG_DWORD, "", false);
    case Hostile::kJustOverMaxPath: return Bytes(REG_SZ, std::string(kJustOverMaxPath, '1'), true);
    case Hostile::k64K: {
        StoredValue value = Bytes(REG_BINARY, std::string(k64K, 'A'), false);
        value.bytes[0] = 0xFE;
        value.bytes[1] = value.bytes[2] = value.bytes[3] = 0xFF;
        return value;
    }
    }
    return StoredValue();
}

// The text a string read yields.
std::string TextOf(const StoredValue& value) {
    const auto zero = std::find(value.bytes.begin(), value.bytes.end(), 0);
    return std::string(value.bytes.begin(), zero);
}

// The integer a profile read yields, before normalisation.
int IntOf(const StoredValue& value, int def) {
    if (value.bytes.empty()) return def;
    DWORD result = 0;
    std::memcpy(&result, value.bytes.data(), std::min<size_t>(value.bytes.size(), sizeof result));
    return static_cast<int>(result);
}

int Clamp(int value, int low, int high) { return std::min(std::max(value, low), high); }

void Store(HKEY root, const std::string& path, const char* name, const StoredValue& value) {
    RegKey key = RegKey::Create(root, path.c_str());
    ASSERT_TRUE(key) << path;
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key.get(), name, 0, value.type,
                                            value.bytes.empty() ? nullptr : value.bytes.data(),
                                            static_cast<DWORD>(value.bytes.size())))
        << path << " " << (name ? name : "(default)");
}

// A value as the registry holds it, or "<missing>".
std::string StoredBytes(HKEY root, const std::string& path, const char* name, DWORD* type = nullptr) {
    std::vector<BYTE> data;
    RegKey key = RegKey::Open(root, path.c_str());
    if (!key.ReadBytes(name, &data, type)) return "<missing>";
    return std::string(data.begin(), data.end());
}

// The six settings that OK writes for Jane and a conduit section, and "LUC".
std::vector<std::string> SavedSettings(const char* section) {
    std::vector<std::string> entries = {"HKCU\\Orvelle\\Users\\Jane\\|LUC", "HKCU\\Orvelle\\Users\\Jane\\|Path"};
    for (const char* name : {"Hidden", "Private", "Conflicts", "Permanent", "Temporary"}) {
        entries.push_back(std::string("HKCU\\Orvelle\\Users\\Jane\\") + section + "\\|" + name);
    }
    return entries;
}

std::string DwordBytes(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), sizeof value); }

// ---------------------------------------------------------------------------
// Paths.

std::string OpenDialogFolder(HWND open) {
    char folder[MAX_PATH] = {};
    SendMessageA(open, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
    return folder;
}

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// An n-character path through an existing folder that names no folder,
// although its first MAX_PATH characters do: the folder, "\." steps up to 259
// characters, then "\z..." (for n = 261 exactly "\z"). Reading it shortened
// to MAX_PATH finds the folder. `folder` gets a sub-folder when its length
// has the wrong parity for that.
std::string PathShortenedIntoFolder(const std::string& folder, size_t n) {
    std::string base = folder;
    if ((base.size() % 2) == 0) {  // "\." steps keep the parity: 259 needs an odd start
        base += "\\s";
        CreateDirectoryA(base.c_str(), nullptr);
    }
    std::string path = base;
    while (path.size() < MAX_PATH - 1) path += "\\.";
    path += "\\";
    path += std::string(n - path.size(), 'z');
    return path;
}

std::wstring LongPathW(const std::string& path) { return L"\\\\?\\" + std::wstring(path.begin(), path.end()); }

// Creates a file, and the folders to it below `existing`, through the
// long-path form of the wide functions (the ANSI ones stop at MAX_PATH).
bool CreateLongFile(const std::string& existing, const std::string& path) {
    for (size_t slash = path.find('\\', existing.size() + 1); slash != std::string::npos;
         slash = path.find('\\', slash + 1)) {
        CreateDirectoryW(LongPathW(path.substr(0, slash)).c_str(), nullptr);
    }
    HANDLE file = CreateFileW(LongPathW(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, "calendar", 8, &written, nullptr);
    CloseHandle(file);
    return true;
}

bool LongFileExists(const std::string& path) {
    return GetFileAttributesW(LongPathW(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Removes a folder tree that may hold paths longer than MAX_PATH.
void RemoveLongTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveLongTree(child);
            } else {
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

std::string AppDataAlmanor() {
    char appData[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, appData, CSIDL_APPDATA, TRUE);
    return std::string(appData) + "\\Quillon Software\\Almanor";
}

std::string CurrentFolder() {
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    return folder;
}

// ---------------------------------------------------------------------------
// Child: the Browse button's initial folder as Windows XP, where Almanor's
// installation folder decides it. Prints what the open-file dialog showed.

int BrowseAsOlderWindows(const std::string& binDir) {
    Module twpalmui = Module::Load((binDir + "\\twpalmui.dll").c_str());
    auto display = twpalmui.Find<int(WINAPI*)(int, const char*, HWND)>("DisplayUserSettings");
    if (!display) return 2;
    const std::string startFolder = CurrentFolder();
    MessageBoxDriver boxes;
    DialogDriver dialogs;
    std::string folder = "<no open-file dialog>";
    dialogs.On(kDateBookSettings, [](HWND d) { PostMessageA(d, WM_COMMAND, IDC_SETTINGS_BROWSE, 0); });
    dialogs.On(kOpenCaption, [&](HWND open) {
        folder = OpenDialogFolder(open);
        PostMessageA(open, WM_COMMAND, IDCANCEL, 0);
    });
    dialogs.On(kDateBookSettings, [](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); });
    const int result = display(0, "Jane", nullptr);
    std::printf("result=%d boxes=%d problems=%d\nstart=%s\nfolder=%s\n", result,
                static_cast<int>(boxes.seen().size()), static_cast<int>(dialogs.problems().size()),
                startFolder.c_str(), folder.c_str());
    return 0;
}
ChildRegistration browseAsOlderWindowsChild("hostile-browse-as-older-windows", BrowseAsOlderWindows);

}  // namespace

// ---------------------------------------------------------------------------

class HostileRegistryTest : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        palm_.AddUser(5, "Jane");
        palm_.AddUser(6, "Zed");
        MakeDataFile();
        scratch_ = MakeScratchDir("hostile");
        startFolder_ = CurrentFolder();
    }
    void TearDown() override {
        SetCurrentDirectoryA(startFolder_.c_str());
        RemoveTree(scratch_);
        if (cases_) std::printf("hostile registry sweep: %d cases (%s)\n", cases_, what_.c_str());
        SettingsTest::TearDown();
    }

    // Back to the state after SetUp before each case.
    void StartCase(const char* what) {
        ++cases_;
        what_ = what;
        SetCurrentDirectoryA(startFolder_.c_str());
        DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Quillon Software");
        DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quillon Software\\Almanor");
        SetInstallValue("Path", productDir_);
        SetInstallValue("PDPath", palmDir_);
    }

    static std::string UserSectionPath(const std::string& user) { return std::string(kProfileRoot) + "\\Users\\" + user; }

    // Loads the library afresh: its help binding lives as long as it does.
    void ReloadLibrary() {
        boxes_.StopWatching();
        twpalmui_.Free();
        ASSERT_EQ(nullptr, GetModuleHandleA((BinDir() + "\\twpalmui.dll").c_str())) << "the library stayed loaded";
        twpalmui_ = Module::Load((BinDir() + "\\twpalmui.dll").c_str());
        ASSERT_TRUE(twpalmui_);
        boxes_.Watch(twpalmui_.get());
    }

    std::string scratch_;
    std::string startFolder_;
    int cases_ = 0;
    std::string what_;
};

// "Users" / "LUN": the user list's selection on opening; opening the
// application list then writes the chosen name over the hostile value.
TEST_F(HostileRegistryTest, LastUserNameSelectsAListedUserOrTheFirst) {
    for (Hostile kind : kAllHostile) {
        SCOPED_TRACE(HostileName(kind));
        StartCase("Users/LUN");
        // Unterminated "Zed" is Zed; the long ones start with "Zed" but are not Zed.
        const StoredValue value =
            HostileString(kind, "Zed", [](size_t n) { return "Zed" + std::string(n - 3, 'x'); });
        Store(HKEY_CURRENT_USER, std::string(kProfileRoot) + "\\Users", "LUN", value);
        const int expected = kind == Hostile::kUnterminated ? 1 : 0;
        const RegistrySnapshot before = TakeProductSnapshot();

        MessageBoxDriver boxes;
        int selection = -1;
        std::string appListUser;
        ScriptAppListRound([&](HWND d) { selection = ListSelection(d, IDC_USERS_LIST); }, &appListUser);
        EXPECT_EQ(0, DisplaySettings());
        EXPECT_TRUE(boxes.seen().empty());
        EXPECT_EQ(expected, selection);
        const std::string chosen = expected == 1 ? "Zed" : "Jane";
        EXPECT_EQ(chosen, appListUser);
        DWORD type = 0;
        EXPECT_EQ(chosen + std::string(1, '\0'), StoredBytes(HKEY_CURRENT_USER, std::string(kProfileRoot) + "\\Users",
                                                             "LUN", &type));
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
        ExpectOnlyChanges(before, {kLastUserEntry});
    }
}

// "Users\<user>" / "LUC": the application list's selection (clamped into the
// list); DisplayUserSettings then writes a proper integer over it.
TEST_F(HostileRegistryTest, LastConduitSelectsAnItemOfTheList) {
    for (Hostile kind : kAllHostile) {
        SCOPED_TRACE(HostileName(kind));
        StartCase("Users\\<user>/LUC");
        const StoredValue value = HostileDword(kind);
        Store(HKEY_CURRENT_USER, UserSectionPath("Jane"), "LUC", value);
        const int expected = Clamp(IntOf(value, 0), 0, 1);
        RegistrySnapshot before = TakeProductSnapshot();

        {
            MessageBoxDriver boxes;
            int selection = -1;
            OpenAppList();
            OnAppList([&](HWND d) {
                selection = ListSelection(d, IDC_APPS_LIST);
                Click(d, IDCANCEL);
            });
            CloseUserList();
            EXPECT_EQ(0, DisplaySettings());
            EXPECT_TRUE(boxes.seen().empty());
            EXPECT_EQ(expected, selection);
            ExpectOnlyChanges(before, {kLastUserEntry});
        }

        before = TakeProductSnapshot();
        MessageBoxDriver boxes;
        dialogs_.On(kToDoListSettings, Clicking(IDCANCEL));
        EXPECT_EQ(0, DisplayUserSettings(1, "Jane"));
        DWORD type = 0;
        EXPECT_EQ(DwordBytes(1), StoredBytes(HKEY_CURRENT_USER, UserSectionPath("Jane"), "LUC", &type));
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
        ExpectOnlyChanges(before, {kJaneLastConduitEntry});
    }
}

// "Users\<user>" / "Path": shown in the edit box as read; View Log follows
// its log; OK accepts it only when it names an existing file, and then writes
// it back properly terminated.
TEST_F(HostileRegistryTest, DataFileIsShownAsReadAndOkAcceptsOnlyAnExistingFile) {
    WriteTextFile(productDir_ + "\\Home_dates_jane_log.txt", "log");
    for (Hostile kind : kAllHostile) {
        SCOPED_TRACE(HostileName(kind));
        StartCase("Users\\<user>/Path");
        const StoredValue value = HostilePath(kind, dataFile_, productDir_, 'h', ".al0");
        Store(HKEY_CURRENT_USER, UserSectionPath("Jane"), "Path", value);
        const bool usable = kind == Hostile::kUnterminated;
        const RegistrySnapshot before = TakeProductSnapshot();

        MessageBoxDriver boxes;
        if (!usable) boxes.Answer(IDOK);
        std::string shown;
        bool viewLog = !usable;
        dialogs_.On(kDateBookSettings, [&](HWND d) {
            shown = ControlText(d, IDC_SETTINGS_FILE);
            viewLog = IsEnabled(d, IDC_SETTINGS_VIEW_LOG);
            Click(d, IDOK);
        });
        if (!usable) dialogs_.On(kDateBookSettings, Clicking(IDCANCEL));
        EXPECT_EQ(0, DisplayUserSettings(0, "Jane"));
        EXPECT_EQ(TextOf(value), shown);
        EXPECT_EQ(usable, viewLog);
        if (usable) {
            EXPECT_TRUE(boxes.seen().empty());
            EXPECT_EQ(dataFile_ + std::string(1, '\0'), StoredBytes(HKEY_CURRENT_USER, UserSectionPath("Jane"), "Path"));
            ExpectOnlyChanges(before, SavedSettings("DateBook"));
        } else {
            EXPECT_EQ(std::vector<std::string>{kSelectDataFile}, boxes.texts());
            ExpectOnlyChanges(before, {kJaneLastConduitEntry});
        }
    }
}

// The five per-conduit values of both conduits: shown normalised, nothing
// written on Cancel, written back normalised as proper integers on OK.
class HostileConduitSettingsTest : public HostileRegistryTest {
protected:
    struct Shown {
        bool hidden = false, isPrivate = false;
        int conflicts = -1;
        std::string permanent, oneTime;
    };

    void Sweep(int kind) {
        const char* section = kind == 0 ? "DateBook" : "ToDoList";
        const char* caption = kind == 0 ? kDateBookSettings : kToDoListSettings;
        const char* actions[] = {kSynchronize, kAlmanorOverwrites, kHandheldOverwrites, kDoNothing};
        for (const char* name : {"Hidden", "Private", "Conflicts", "Permanent", "Temporary"}) {
            for (Hostile hostile : kAllHostile) {
                SCOPED_TRACE(std::string(section) + "\\" + name + ": " + HostileName(hostile));
                StartCase(kind == 0 ? "Users\\<user>\\DateBook: five values" : "Users\\<user>\\ToDoList: five values");
                SetProfileString("Users\\Jane", "Path", dataFile_);
                const StoredValue value = HostileDword(hostile);
                Store(HKEY_CURRENT_USER, UserSectionPath("Jane") + "\\" + section, name, value);
                const std::string item = name;
                const int raw = IntOf(value, item == "Temporary" ? -1 : 0);
                const bool hidden = item == "Hidden" && raw != 0;
                const bool isPrivate = item == "Private" && raw != 0;
                const int conflicts = item == "Conflicts" ? Clamp(raw, 0, 2) : 0;
                const int permanent = item == "Permanent" ? Clamp(raw, 0, 3) : 0;
                const int oneTime = item == "Temporary" ? Clamp(raw, -1, 3) : -1;

                for (const bool ok : {false, true}) {
                    SCOPED_TRACE(ok ? "OK" : "Cancel");
                    const RegistrySnapshot before = TakeProductSnapshot();
                    MessageBoxDriver boxes;
                    Shown shown;
                    dialogs_.On(caption, [&](HWND d) {
                        shown.hidden = IsChecked(d, IDC_SETTINGS_HIDDEN);
                        shown.isPrivate = IsChecked(d, IDC_SETTINGS_PRIVATE);
                        for (int i = 0; i < 3; ++i) {
                            if (IsChecked(d, IDC_SETTINGS_DUPLICATE + i)) shown.conflicts = i;
                        }
                        shown.permanent = ControlText(d, IDC_SETTINGS_PERMANENT);
                        shown.oneTime = ControlText(d, IDC_SETTINGS_ONE_TIME);
                        Click(d, ok ? IDOK : IDCANCEL);
                    });
                    EXPECT_EQ(0, DisplayUserSettings(kind, "Jane"));
                    EXPECT_TRUE(boxes.seen().empty());
                    EXPECT_EQ(hidden, shown.hidden);
                    EXPECT_EQ(isPrivate, shown.isPrivate);
                    EXPECT_EQ(conflicts, shown.conflicts);
                    EXPECT_EQ(actions[permanent], shown.permanent);
                    EXPECT_EQ(actions[oneTime == -1 ? permanent : oneTime], shown.oneTime);
                    if (!ok) {
                        ExpectOnlyChanges(before, {kJaneLastConduitEntry});
                        continue;
                    }
                    ExpectOnlyChanges(before, SavedSettings(section));
                    const std::string path = UserSectionPath("Jane") + "\\" + section;
                    const struct {
                        const char* name;
                        DWORD value;
                    } saved[] = {{"Hidden", hidden ? 1u : 0u},
                                 {"Private", isPrivate ? 1u : 0u},
                                 {"Conflicts", static_cast<DWORD>(conflicts)},
                                 {"Permanent", static_cast<DWORD>(permanent)},
                                 {"Temporary", static_cast<DWORD>(oneTime)}};
                    for (const auto& expected : saved) {
                        DWORD type = 0;
                        EXPECT_EQ(DwordBytes(expected.value), StoredBytes(HKEY_CURRENT_USER, path, expected.name, &type))
                            << expected.name;
                        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type) << expected.name;
                    }
                }
            }
        }
    }
};

TEST_F(HostileConduitSettingsTest, DateBookValuesAreNormalisedAndWrittenBackOnlyOnOk) { Sweep(0); }

TEST_F(HostileConduitSettingsTest, ToDoListValuesAreNormalisedAndWrittenBackOnlyOnOk) { Sweep(1); }

// Installation "Path": the component check loads twpalm.dll from it. Anything
// but the product folder warns "[#3001]", and the settings open all the same,
// from DisplayUserSettings and from the application list.
TEST_F(HostileRegistryTest, ProductFolderThatIsNoFolderWarnsAndTheSettingsStillOpen) {
    for (Hostile kind : kAllHostile) {
        SCOPED_TRACE(HostileName(kind));
        StartCase("Install/Path");
        const StoredValue value = HostilePath(kind, productDir_, productDir_, 'p');
        Store(HKEY_LOCAL_MACHINE, InstallKeyPath(), "Path", value);
        const bool loads = kind == Hostile::kUnterminated;
        const RegistrySnapshot before = TakeProductSnapshot();

        for (const bool fromAppList : {false, true}) {
            SCOPED_TRACE(fromAppList ? "application list" : "DisplayUserSettings");
            MessageBoxDriver boxes;
            if (!loads) boxes.Answer(IDOK);
            bool settingsOpened = false;
            if (fromAppList) {
                OpenAppList();
                OnAppList(Clicking(IDC_APPS_CHANGE));
            }
            dialogs_.On(kDateBookSettings, [&](HWND d) {
                settingsOpened = true;
                Click(d, IDCANCEL);
            });
            if (fromAppList) CloseUserList();
            EXPECT_EQ(0, fromAppList ? DisplaySettings() : DisplayUserSettings(0, "Jane"));
            EXPECT_TRUE(settingsOpened);
            if (loads) {
                EXPECT_TRUE(boxes.seen().empty());
            } else {
                ASSERT_EQ(1u, boxes.seen().size());
                EXPECT_EQ(kMissingComponent, boxes.seen()[0].text);
                EXPECT_EQ(static_cast<UINT>(MB_TOPMOST | MB_ICONWARNING), boxes.seen()[0].flags);
            }
        }
        ExpectOnlyChanges(before, {kJaneLastConduitEntry, kLastUserEntry});
    }
}

// Installation "PDPath": the User Manager is loaded from it. Anything but
// Palm Desktop's folder gives the Palm Desktop warning and an empty list.
TEST_F(HostileRegistryTest, PalmDesktopFolderThatIsNoFolderWarnsAndTheListStaysEmpty) {
    for (Hostile kind : kAllHostile) {
        SCOPED_TRACE(HostileName(kind));
        StartCase("Install/PDPath");
        const StoredValue value = HostilePath(kind, palmDir_, palmDir_, 'd');
        Store(HKEY_LOCAL_MACHINE, InstallKeyPath(), "PDPath", value);
        const bool loads = kind == Hostile::kUnterminated;
        const RegistrySnapshot before = TakeProductSnapshot();

        MessageBoxDriver boxes;
        if (!loads) boxes.Answer(IDOK);
        std::vector<std::string> items;
        bool settingsEnabled = !loads;
        OnUserList([&](HWND d) {
            items = ListItems(d, IDC_USERS_LIST);
            settingsEnabled = IsEnabled(d, IDC_USERS_SETTINGS);
            Click(d, IDCANCEL);
        });
        EXPECT_EQ(0, DisplaySettings());
        EXPECT_EQ(loads, settingsEnabled);
        if (loads) {
            EXPECT_EQ(std::vector<std::string>({"Jane", "Zed"}), items);
            EXPECT_TRUE(boxes.seen().empty());
        } else {
            EXPECT_TRUE(items.empty());
            EXPECT_EQ(std::vector<std::string>{kNoPalmDesktop}, boxes.texts());
        }
        ExpectOnlyChanges(before, {});
    }
}

// Almanor's "DDIR": Browse starts in it when it names an existing folder,
// else (Windows Vista and later) in the application-data Almanor folder. A
// path over MAX_PATH whose first MAX_PATH characters name a folder is no
// folder.
TEST_F(HostileRegistryTest, AlmanorDataFolderIsUsedOnlyWhenItIsAFolder) {
    const std::string ddir = MakeScratchDir("ddir");
    const std::string fallback = AppDataAlmanor();
    for (Hostile kind : kAllHostile) {
        SCOPED_TRACE(HostileName(kind));
        StartCase("Almanor\\Common/DDIR");
        SetProfileString("Users\\Jane", "Path", dataFile_);
        const StoredValue value =
            HostileString(kind, ddir + "\\", [&](size_t n) { return PathShortenedIntoFolder(ddir, n); });
        Store(HKEY_CURRENT_USER, kAlmanorCommon, "DDIR", value);
        const std::string expected = kind == Hostile::kUnterminated ? ddir : fallback;
        const RegistrySnapshot before = TakeProductSnapshot();

        MessageBoxDriver boxes;
        std::string folder = "<no open-file dialog>";
        dialogs_.On(kDateBookSettings, Clicking(IDC_SETTINGS_BROWSE));
        dialogs_.On(kOpenCaption, [&](HWND open) {
            folder = OpenDialogFolder(open);
            PostMessageA(open, WM_COMMAND, IDCANCEL, 0);
        });
        dialogs_.On(kDateBookSettings, Clicking(IDCANCEL));
        EXPECT_EQ(0, DisplayUserSettings(0, "Jane"));
        EXPECT_TRUE(boxes.seen().empty());
        EXPECT_TRUE(SamePath(expected, folder)) << "expected " << expected << "\nshown    " << folder;
        ExpectOnlyChanges(before, {kJaneLastConduitEntry});
    }
    RemoveTree(ddir);
}

// Almanor's installation "Path" decides Browse's folder before Windows Vista:
// <Path>\Data, created when missing. Only a folder that exists gets one; the
// open-file dialog opens whatever the value holds.
TEST_F(HostileRegistryTest, AlmanorProgramFolderGetsItsDataFolderOnlyWhenItIsAFolder) {
    const std::string almanor = MakeScratchDir("almanor");
    for (Hostile kind : kAllHostile) {
        SCOPED_TRACE(HostileName(kind));
        StartCase("Almanor\\Install/Path (Windows XP)");
        SetProfileString("Users\\Jane", "Path", dataFile_);
        // Blanks around it are trimmed.
        const StoredValue value = HostileString(kind, "  " + almanor + " ",
                                                [&](size_t n) { return PathShortenedIntoFolder(almanor, n); });
        Store(HKEY_LOCAL_MACHINE, kAlmanorInstall, "Path", value);
        const RegistrySnapshot before = TakeProductSnapshot();

        const ChildResult child = RunChildAs("winxp", "hostile-browse-as-older-windows", BinDir());
        ASSERT_EQ(0, child.exitCode) << child.output;
        std::string output;
        for (char c : child.output) {
            if (c != '\r') output += c;
        }
        const size_t start = output.find("start=") + 6, folderAt = output.find("folder=") + 7;
        // A child that crashes prints nothing.
        ASSERT_NE(std::string::npos, output.find("result=0 boxes=0 problems=0\n")) << "child printed: " << output;
        const std::string shown = output.substr(folderAt, output.find('\n', folderAt) - folderAt);
        const std::string childStart = output.substr(start, output.find('\n', start) - start);
        if (kind == Hostile::kUnterminated) {
            EXPECT_TRUE(SamePath(almanor + "\\Data", shown)) << shown;
            EXPECT_TRUE(IsFolder(almanor + "\\Data"));
        } else {
            EXPECT_FALSE(IsFolder(almanor + "\\Data")) << "created for a value that names no folder";
            EXPECT_TRUE(IsFolder(shown)) << shown;
        }
        EXPECT_FALSE(IsFolder(childStart + "\\Data")) << "created in the program's current folder";
        RemoveTree(almanor + "\\Data");
        ExpectOnlyChanges(before, {kJaneLastConduitEntry});
    }
    RemoveTree(almanor);
}

// The help engine's registration (HKEY_CLASSES_ROOT, redirected for this
// process): a value that names a library within MAX_PATH is loaded; anything
// else falls back to the engine by name; either way Help opens the help file.
TEST_F(HostileRegistryTest, HelpEngineRegistrationFallsBackToTheEngineByName) {
    PrivateClasses classes;
    ASSERT_TRUE(classes.overridden());
    const std::string registeredFolder = MakeScratchDir("registered-engine");
    const std::string byNameFolder = MakeScratchDir("by-name-engine");
    const std::string registered = registeredFolder + "\\HelpEngine.dll";
    const std::string byNameEngine = byNameFolder + "\\ByNameEngine.dll";
    ASSERT_EQ(registered, PlaceHelpEngine("helpengine", registeredFolder));
    ASSERT_EQ(byNameEngine, PlaceHelpEngine("helpengine", byNameFolder, "ByNameEngine.dll"));
    for (Hostile kind : kAllHostile) {
        SCOPED_TRACE(HostileName(kind));
        StartCase("HKCR CLSID\\{ADB880A6-...}\\InprocServer32");
        ForgetEngineCalls();
        ReloadLibrary();
        const StoredValue value = HostilePath(kind, registered, registeredFolder, 'e', ".dll");
        Store(HKEY_CLASSES_ROOT, kHelpServerKey, nullptr, value);
        const bool useRegistered = kind == Hostile::kUnterminated;
        const RegistrySnapshot before = TakeProductSnapshot();

        // The engine asked for by name is the stand-in, so that nothing of Wine's opens.
        LibraryLoads loads(twpalmui_.get(), "hhctrl.ocx", byNameEngine);
        ASSERT_TRUE(loads.applied());
        {
            MessageBoxDriver boxes;
            OnUserList(Clicking(IDC_HELP_BUTTON));
            CloseUserList();
            EXPECT_EQ(0, DisplaySettings());
            EXPECT_TRUE(boxes.seen().empty());
        }
        const std::vector<std::string> attempted = loads.BesidesUserManager();
        ASSERT_FALSE(attempted.empty());
        for (const std::string& load : attempted) {
            EXPECT_LT(load.size(), static_cast<size_t>(MAX_PATH)) << "load attempted with an over-long name";
        }
        if (useRegistered) {
            EXPECT_EQ(std::vector<std::string>{registered}, attempted);
        } else {
            EXPECT_EQ("hhctrl.ocx", attempted.back());
        }
        const std::vector<HelpCall> calls = EngineCalls();
        ASSERT_EQ(1u, calls.size());
        EXPECT_TRUE(SamePath(useRegistered ? registered : byNameEngine, calls[0].engine)) << calls[0].engine;
        EXPECT_EQ(BinDir() + "\\twpalm.chm", calls[0].file);
        ExpectOnlyChanges(before, {});
    }
    ForgetEngineCalls();
}

// ---------------------------------------------------------------------------
// Over-long input.

class LongInputTest : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        MakeDataFile();
        longDir_ = MakeScratchDir("long");
    }
    void TearDown() override {
        RemoveLongTree(LongPathW(longDir_));
        SettingsTest::TearDown();
    }

    // A data file path of exactly n characters below longDir_, created.
    std::string MakeLongDataFile(size_t n) {
        std::string path = longDir_;
        while (n - path.size() > 200) path += "\\" + std::string(150, 'd');
        path += "\\" + std::string(n - path.size() - 5, 'f') + ".al0";
        EXPECT_TRUE(CreateLongFile(longDir_, path)) << n;
        EXPECT_TRUE(LongFileExists(path));
        return path;
    }

    std::string longDir_;
};

// Names are fetched into a 32-byte buffer: 31 characters fit; the stand-in
// refuses longer ones (-1), so those users are not listed.
TEST_F(LongInputTest, PalmUserNamesThatDoNotFitTheNameBufferAreLeftOut) {
    const std::string fits(31, 'A'), tooLong(32, 'B'), farTooLong(200, 'C');
    palm_.AddUser(5, fits);
    palm_.AddUser(6, tooLong);
    palm_.AddUser(7, farTooLong);
    palm_.AddUser(8, "Jane");
    std::vector<std::string> items;
    std::string appListUser;
    ScriptAppListRound(
        [&](HWND d) {
            items = ListItems(d, IDC_USERS_LIST);
            SelectListItem(d, IDC_USERS_LIST, 0);
        },
        &appListUser);
    EXPECT_EQ(0, DisplaySettings());
    EXPECT_EQ(std::vector<std::string>({fits, "Jane"}), items);
    EXPECT_EQ(4, palm_.CountCalls("UmGetUserName"));
    EXPECT_EQ(fits, appListUser);
    EXPECT_EQ(fits, ProfileString("Users", "LUN"));
    EXPECT_TRUE(boxes_.seen().empty());
}

namespace {

palm::UmGetUserNameFn g_realGetUserName = nullptr;
int g_sizeOffered = 0;

// A User Manager that fills the whole buffer for user 9 and leaves out the
// terminating zero; the rest goes to the stand-in.
int WINAPI FillingGetUserName(DWORD id, char* buffer, int* size) {
    if (id != 9) return g_realGetUserName(id, buffer, size);
    g_sizeOffered = *size;
    std::memset(buffer, 'N', static_cast<size_t>(*size));
    return *size;
}

FARPROC WINAPI SubstitutingGetProcAddress(HMODULE module, LPCSTR name) {
    FARPROC real = GetProcAddress(module, name);
    if (HIWORD(reinterpret_cast<ULONG_PTR>(name)) != 0 && lstrcmpA(name, "UmGetUserName") == 0 && real) {
        g_realGetUserName = reinterpret_cast<palm::UmGetUserNameFn>(reinterpret_cast<void*>(real));
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&FillingGetUserName));
    }
    return real;
}

}  // namespace

// A name filling the whole buffer without its zero is read no further than
// the buffer: the first 32 characters.
TEST_F(LongInputTest, NameFillingTheWholeBufferIsNotReadBeyondIt) {
    palm_.AddUser(5, "Jane");
    palm_.AddUser(9, "replaced by the filling User Manager");
    ImportPatch lookups(twpalmui_.get(), "KERNEL32.dll", "GetProcAddress",
                        reinterpret_cast<void*>(&SubstitutingGetProcAddress));
    ASSERT_TRUE(lookups.applied());
    std::vector<std::string> items;
    OnUserList([&](HWND d) {
        items = ListItems(d, IDC_USERS_LIST);
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(0, DisplaySettings());
    EXPECT_EQ(32, g_sizeOffered);
    EXPECT_EQ(std::vector<std::string>({"Jane", std::string(32, 'N')}), items);
}

// A data file path is usable when it fits a MAX_PATH buffer (259 characters):
// one of 260 or 1,000 characters is shown as stored, but OK refuses it, even
// where the file exists, and nothing is written.
TEST_F(LongInputTest, DataFilePathsMustFitMaxPath) {
    for (const size_t length : {259u, 260u, 1000u}) {
        SCOPED_TRACE(std::to_string(length) + " characters");
        const std::string path = MakeLongDataFile(length);
        ASSERT_EQ(length, path.size());
        SetProfileString("Users\\Jane", "Path", path);
        const bool usable = length < MAX_PATH;
        const RegistrySnapshot before = TakeProductSnapshot();
        MessageBoxDriver boxes;
        if (!usable) boxes.Answer(IDOK);
        std::string shown;
        bool viewLog = true;
        dialogs_.On(kDateBookSettings, [&](HWND d) {
            shown = ControlText(d, IDC_SETTINGS_FILE);
            viewLog = IsEnabled(d, IDC_SETTINGS_VIEW_LOG);
            Click(d, IDOK);
        });
        if (!usable) dialogs_.On(kDateBookSettings, Clicking(IDCANCEL));
        EXPECT_EQ(0, DisplayUserSettings(0, "Jane"));
        EXPECT_EQ(path, shown);
        EXPECT_FALSE(viewLog);
        std::vector<std::string> allowed = {kJaneLastConduitEntry};
        if (usable) {
            EXPECT_TRUE(boxes.seen().empty());
            allowed = SavedSettings("DateBook");
        } else {
            EXPECT_EQ(std::vector<std::string>{kSelectDataFile}, boxes.texts());
        }
        ExpectOnlyChanges(before, allowed, {"Jane"});
        EXPECT_EQ(path, ProfileString("Users\\Jane", "Path"));
    }
}

// View Log is enabled for a log whose path fits MAX_PATH (259 characters)
// and not for one of 260, although it exists: the log could not be opened.
TEST_F(LongInputTest, ViewLogNeedsALogPathThatFitsMaxPath) {
    // The log adds "_dates_jane_log.txt" (19) to the data file's 4 characters shorter stem.
    for (const size_t logLength : {259u, 260u}) {
        SCOPED_TRACE(std::to_string(logLength) + " characters");
        const std::string data = MakeLongDataFile(logLength - 15);
        const std::string log = data.substr(0, data.size() - 4) + "_dates_jane_log.txt";
        ASSERT_EQ(logLength, log.size());
        ASSERT_TRUE(CreateLongFile(longDir_, log));
        SetProfileString("Users\\Jane", "Path", data);
        bool viewLog = logLength >= MAX_PATH;
        dialogs_.On(kDateBookSettings, [&](HWND d) {
            viewLog = IsEnabled(d, IDC_SETTINGS_VIEW_LOG);
            Click(d, IDCANCEL);
        });
        EXPECT_EQ(0, DisplayUserSettings(0, "Jane"));
        EXPECT_EQ(logLength < MAX_PATH, viewLog);
    }
}

// DisplayUserSettings with long Palm user names. A name the registry can hold
// works as any other (its log name included); one it cannot is refused like a
// missing name: -1, nothing shown, nothing written, instead of a dialog whose
// OK would lose all or part of the settings. Windows refuses key names over
// 255 characters; Wine's ANSI registry functions also refuse sub-key paths
// over 260 characters, so there a name of 250 fits "Users\<user>" (where
// "Path" and "LUC" live) but not "Users\<user>\DateBook".
TEST_F(LongInputTest, LongUserNamesAreStoredWhollyOrRefusedWithNothingWritten) {
    for (const size_t length : {200u, 250u, 256u, 5000u}) {
        SCOPED_TRACE(std::to_string(length) + " characters");
        const std::string user(length, 'u');
        // Read and written below the product's key, as the library addresses them.
        const RegKey product = RegKey::Create(HKEY_CURRENT_USER, kProfileRoot);
        const auto readDword = [&](const std::string& section, const char* name, DWORD* value) {
            std::vector<BYTE> data;
            RegKey key = RegKey::Open(product.get(), section.c_str());
            if (!key.ReadBytes(name, &data) || data.size() != sizeof *value) return false;
            std::memcpy(value, data.data(), sizeof *value);
            return true;
        };
        const RegistrySnapshot before = TakeProductSnapshot();
        RegKey::Create(product.get(), ("Users\\" + user).c_str()).WriteString("Path", dataFile_);
        std::string presetPath;
        const bool presetHeld = RegKey::Open(product.get(), ("Users\\" + user).c_str()).ReadString("Path", &presetPath);
        if (length == 200) {
            ASSERT_TRUE(presetHeld);
            WriteTextFile(productDir_ + "\\Home_dates_" + user + "_log.txt", "log");
        }
        const RegistrySnapshot preset = TakeProductSnapshot();
        MessageBoxDriver boxes;
        DialogDriver dialogs;
        std::string shownUser;
        bool viewLog = false;
        bool opened = false;
        dialogs.On(kDateBookSettings, [&](HWND d) {
            opened = true;
            shownUser = ControlText(d, IDC_SETTINGS_USER);
            viewLog = IsEnabled(d, IDC_SETTINGS_VIEW_LOG);
            SetCheck(d, IDC_SETTINGS_HIDDEN, true);
            Click(d, IDOK);
        });
        const int result = DisplayUserSettings(0, user.c_str());
        EXPECT_TRUE(boxes.seen().empty());
        const std::string section = "Users\\" + user + "\\DateBook";
        DWORD hidden = 0, lastConduit = 99;
        if (length == 200 || result == 0) {
            EXPECT_EQ(0, result);
            EXPECT_TRUE(dialogs.problems().empty()) << dialogs.problems().front();
            EXPECT_EQ(user, shownUser);
            EXPECT_EQ(length == 200, viewLog);
            EXPECT_TRUE(readDword(section, "Hidden", &hidden) && hidden == 1) << "settings lost";
            EXPECT_TRUE(readDword("Users\\" + user, "LUC", &lastConduit) && lastConduit == 0);
        } else {
            EXPECT_EQ(-1, result);
            EXPECT_FALSE(opened);
            const std::vector<std::string> changes = UnexpectedChanges(preset, TakeProductSnapshot(), {});
            EXPECT_TRUE(changes.empty()) << changes.front();
        }
        if (length > 255) {
            // No key of that name can exist: nothing at all was written, also not a shortened name.
            EXPECT_FALSE(presetHeld);
            EXPECT_EQ(-1, result);
            const std::vector<std::string> changes = UnexpectedChanges(before, TakeProductSnapshot(), {});
            EXPECT_TRUE(changes.empty()) << changes.front();
        }
        DeleteKeyTree(HKEY_CURRENT_USER, (std::string(kProfileRoot) + "\\Users").c_str());
    }
}
