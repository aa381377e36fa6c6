// twbench: measures the product's libraries under Wine. It loads them from its
// own folder, the way the product's callers do, and runs one mode per process:
//
//   setup                     20 Palm users in the stand-in, "User 1"'s data file
//   load RUNS [host [DLL...]] LoadLibrary + FreeLibrary of twpalmui.dll and of an empty DLL
//   first ui|empty            the first load of a process
//   userlist RUNS             DisplaySettings until the list is up and filled, then closed; in
//                             turn with an empty dialog of its size, its controls without
//                             code, and the list over an in-memory User Manager
//   usersettings RUNS         DisplayUserSettings until the settings dialog is up, then OK; in
//                             turn with an empty dialog and its controls without code
//   summary LABEL RUNS [profile]
//                             the Settings Summary from the user list, vs. "reg export";
//                             "profile" times the file writes, registry reads and text box
//   bulk add|remove           10,000 values over 100 subkeys in the product's key
//   conduits SCENARIO RUNS    InstallAllConduits + UninstallAllConduits (stopped,
//                             at-once, after-one: how the HotSync Manager behaves)
//   peak userlist|controls|empty|ui-loaded|host-dlls
//                             the first dialog of a process: its time and the peak working set
//
// Output, one line each: "S <figure> <value>" a sample, "N <text>" a note,
// "E <text>" a failure. scripts/bench.sh collects the samples of all its
// processes and prints the table. The exit code is the number of failures.

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/import_patch.h"
#include "bench/twbench_ids.h"

namespace {

const char kProductKey[] = "Software\\Quillon Software\\Orvelle";
const char kUsersKey[] = "Software\\Quillon Software\\Orvelle\\Users";
const char kStandInKey[] = "Software\\Palm Desktop Stand-in";
const char kPalmFolder[] = "C:\\Palm";
const char kDataFile[] = "C:\\Calendar\\Home.al0";
const char kBenchUser[] = "User 1";
const int kUserCount = 20;

const char kUserListCaption[] = "Tidewell for Palm Settings";
const char kSettingsCaption[] = "Settings for Palm Date Book";
const char kSummaryCaption[] = "Tidewell for Palm - Settings Summary";
const char kEmptyUserListCaption[] = "Bench Empty User List";
const char kEmptySettingsCaption[] = "Bench Empty Settings";
const char kControlsUserListCaption[] = "Bench Controls User List";
const char kControlsSettingsCaption[] = "Bench Controls Settings";
const int kUsersListId = 1126;
const WPARAM kSummaryCommand = 16;

// Each timer's period: the 10 ms minimum of Windows and Wine.
const UINT kTickMs = 10;
const int kTimers = 10;
const double kTimerStaggerMs = 1.0;
const double kDialogTimeoutMs = 20000;
const double kSummaryTimeoutMs = 300000;

int g_failures = 0;

void Sample(const char* figure, double value) {
    std::printf("S %s %.3f\n", figure, value);
    std::fflush(stdout);
}

void Note(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::printf("N ");
    std::vprintf(format, arguments);
    std::printf("\n");
    va_end(arguments);
    std::fflush(stdout);
}

void Fail(const char* format, ...) {
    ++g_failures;
    va_list arguments;
    va_start(arguments, format);
    std::printf("E ");
    std::vprintf(format, arguments);
    std::printf("\n");
    va_end(arguments);
    std::fflush(stdout);
}

double NowMs() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / frequency;
}

std::string OwnFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\'));
}

std::string TempFolder() {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return folder;
}

// -1 when the file is missing.
double FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return static_cast<double>((static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

// --- Registry -------------------------------------------------------------

void DeleteTree(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WRITE, &key) == ERROR_SUCCESS) {
        char name[256];
        for (;;) {
            DWORD length = sizeof name;
            if (RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            DeleteTree(root, path + "\\" + name);
        }
        RegCloseKey(key);
    }
    RegDeleteKeyA(root, path.c_str());
}

HKEY CreateKey(const std::string& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        Fail("cannot create HKCU\\%s", path.c_str());
        return nullptr;
    }
    return key;
}

void SetString(HKEY key, const char* name, const std::string& value) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
}

void SetDword(HKEY key, const char* name, DWORD value) {
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

bool ReadString(const std::string& path, const char* name, std::string* value) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    char data[1024] = {};
    DWORD size = sizeof data - 1, type = 0;
    const bool ok = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS &&
                    type == REG_SZ;
    RegCloseKey(key);
    if (ok) *value = data;
    return ok;
}

bool KeyExists(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::string StandIn(const std::string& sub) { return std::string(kStandInKey) + "\\" + sub; }

// The stand-ins log every call; the log is a registry key whose cost grows
// with its length, so each run starts from an empty one.
void ClearCallLog() { DeleteTree(HKEY_CURRENT_USER, StandIn("CallLog")); }

int CountCalls(const char* prefix) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, StandIn("CallLog").c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    int count = 0;
    char name[64], data[512];
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = sizeof name, size = sizeof data - 1, type = 0;
        const LONG rc = RegEnumValueA(key, index, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data),
                                      &size);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS || type != REG_SZ) continue;
        data[size] = '\0';
        if (std::strncmp(data, prefix, std::strlen(prefix)) == 0) ++count;
    }
    RegCloseKey(key);
    return count;
}

// --- Driving modal loops --------------------------------------------------

// One modal call, driven by a thread timer that fires inside its loop. After
// the deadline every dialog of the thread is ended, so a run fails instead of
// hanging.
struct Session {
    std::function<void()> tick;
    double deadline = 0;
    bool timedOut = false;
};
Session* g_session = nullptr;

struct Search {
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    if (IsWindowVisible(window) && lstrcmpA(text, search->caption) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level window of this thread with exactly this caption.
HWND FindShown(const char* caption) {
    Search search = {caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool IsDialog(HWND window) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    return lstrcmpA(name, "#32770") == 0;
}

BOOL CALLBACK EndOne(HWND window, LPARAM) {
    if (IsDialog(window)) EndDialog(window, IDCANCEL);
    return TRUE;
}

// A message box holds its text (static 0xFFFF), perhaps its icon (static
// 0x0440) and buttons with the standard command ids, nothing else; dialogs
// also use 0xFFFF for their labels, but never that alone.
BOOL CALLBACK CheckMessageBoxChild(HWND child, LPARAM parameter) {
    char name[16] = {};
    GetClassNameA(child, name, sizeof name);
    const int id = GetDlgCtrlID(child);
    const bool fits = (lstrcmpiA(name, "Static") == 0 && (id == 0xFFFF || id == 0x0440)) ||
                      (lstrcmpiA(name, "Button") == 0 && id >= IDOK && id <= 11);
    if (!fits) *reinterpret_cast<bool*>(parameter) = false;
    return fits;
}

bool IsMessageBox(HWND window) {
    if (!IsDialog(window) || !GetDlgItem(window, 0xFFFF)) return false;
    bool fits = true;
    EnumChildWindows(window, CheckMessageBoxChild, reinterpret_cast<LPARAM>(&fits));
    return fits;
}

// A message box means the run went off its road: say what it said and close it.
BOOL CALLBACK CloseMessageBox(HWND window, LPARAM) {
    if (!IsWindowVisible(window) || !IsMessageBox(window)) return TRUE;
    char message[512] = {};
    GetWindowTextA(GetDlgItem(window, 0xFFFF), message, sizeof message);
    for (char* c = message; *c; ++c) {
        if (*c == '\r' || *c == '\n') *c = ' ';
    }
    Fail("unexpected message box: %s", message);
    EndDialog(window, IDCANCEL);
    return TRUE;
}

VOID CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    Session* session = g_session;
    if (!session) return;
    EnumThreadWindows(GetCurrentThreadId(), CloseMessageBox, 0);
    if (NowMs() > session->deadline) {
        if (!session->timedOut) Fail("timed out");
        session->timedOut = true;
        EnumThreadWindows(GetCurrentThreadId(), EndOne, 0);
        return;
    }
    session->tick();
}

// Runs call() with tick() on every timer tick inside its modal loops; false
// when it had to be ended by the deadline. *startedAt: when call() began.
//
// Windows and Wine raise a timer's period to 10 ms, which would make a dialog
// that is up in 2 ms look like one up in 10. Ten timers started 1 ms apart
// tick every millisecond between them.
bool RunModal(const std::function<void()>& call, const std::function<void()>& tick, double timeoutMs,
              double* startedAt = nullptr) {
    Session session;
    session.tick = tick;
    g_session = &session;
    std::vector<UINT_PTR> timers;
    for (int i = 0; i < kTimers; ++i) {
        const double next = NowMs() + kTimerStaggerMs;
        timers.push_back(SetTimer(nullptr, 0, kTickMs, Tick));
        while (i + 1 < kTimers && NowMs() < next) {
        }
    }
    session.deadline = NowMs() + timeoutMs;
    if (startedAt) *startedAt = NowMs();
    call();
    for (UINT_PTR timer : timers) KillTimer(nullptr, timer);
    // Ticks still queued belong to no session.
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {
    }
    g_session = nullptr;
    return !session.timedOut;
}

void PostCommand(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// When each caption was first activated on this thread since the last
// ForgetActivations: a dialog is activated once it is created and
// initialised, just before it is first painted.
std::map<std::string, double> g_activations;

void ForgetActivations() { g_activations.clear(); }

double ActivatedAt(const char* caption) {
    const auto found = g_activations.find(caption);
    return found == g_activations.end() ? -1 : found->second;
}

// The summary dialog is matched when it is activated, after it has read the
// file: that is the moment the user sees the summary.
struct SummaryWatch {
    bool waiting = false;
    double shownAt = 0;
    HWND dialog = nullptr;
};
SummaryWatch g_summary;

LRESULT CALLBACK WatchActivation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        const double now = NowMs();
        HWND window = reinterpret_cast<HWND>(wParam);
        char text[128] = {};
        GetWindowTextA(window, text, sizeof text);
        g_activations.emplace(text, now);
        if (g_summary.waiting && lstrcmpA(text, kSummaryCaption) == 0) {
            g_summary.shownAt = NowMs();
            g_summary.dialog = window;
            g_summary.waiting = false;
            PostCommand(window, IDCANCEL);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

double PeakWorkingSetKb() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return -1;
    return static_cast<double>(counters.PeakWorkingSetSize) / 1024.0;
}

// The floor: a dialog with no code but the one that closes it.
INT_PTR CALLBACK EmptyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

// ms from the call to the return of an empty dialog closed as soon as it is shown.
double TimeEmptyDialog(int templateId, const char* caption, double* peakKb = nullptr, double* upMs = nullptr) {
    bool closed = false;
    ForgetActivations();
    double start = 0;
    const bool ok = RunModal(
        [&] {
            DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), nullptr, EmptyDialogProc, 0);
        },
        [&] {
            HWND dialog = closed ? nullptr : FindShown(caption);
            if (!dialog) return;
            if (peakKb) *peakKb = PeakWorkingSetKb();
            closed = true;
            PostCommand(dialog, IDCANCEL);
        },
        kDialogTimeoutMs, &start);
    const double elapsed = NowMs() - start;
    if (!ok || !closed) {
        Fail("the empty dialog \"%s\" did not show", caption);
        return -1;
    }
    if (upMs) *upMs = ActivatedAt(caption) - start;
    return elapsed;
}

// --- The product ----------------------------------------------------------

using DisplaySettingsFn = int(WINAPI*)(HWND);
using DisplayUserSettingsFn = int(WINAPI*)(int, const char*, HWND);
using ConduitsFn = int(WINAPI*)(HWND, int);

template <typename Function>
Function Export(HMODULE module, const char* name) {
    auto function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (!function) Fail("no export %s", name);
    return function;
}

HMODULE LoadProduct(const char* name) {
    const std::string path = OwnFolder() + "\\" + name;
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) Fail("cannot load %s (error %lu)", path.c_str(), GetLastError());
    return module;
}

// The user list of this thread once it shows all the Palm users.
HWND FilledUserList() {
    HWND dialog = FindShown(kUserListCaption);
    if (!dialog) return nullptr;
    HWND list = GetDlgItem(dialog, kUsersListId);
    if (!list || SendMessageA(list, LB_GETCOUNT, 0, 0) != kUserCount) return nullptr;
    return dialog;
}

// ms from the call of DisplaySettings to its return, the list closed as soon
// as it is up and filled.
double TimeUserList(DisplaySettingsFn display, double* peakKb = nullptr, double* upMs = nullptr) {
    bool closed = false;
    ForgetActivations();
    double start = 0;
    const bool ok = RunModal([&] { display(nullptr); },
                             [&] {
                                 HWND dialog = closed ? nullptr : FilledUserList();
                                 if (!dialog) return;
                                 if (peakKb) *peakKb = PeakWorkingSetKb();
                                 closed = true;
                                 PostCommand(dialog, IDCANCEL);
                             },
                             kDialogTimeoutMs, &start);
    const double elapsed = NowMs() - start;
    if (!ok || !closed) {
        Fail("the user list did not show %d users", kUserCount);
        return -1;
    }
    if (upMs) *upMs = ActivatedAt(kUserListCaption) - start;
    return elapsed;
}

// The stand-in User Manager alone, called the way the user list calls it:
// how much of the list's time is spent outside the product.
double TimeStandInUserManager() {
    using CountFn = short(WINAPI*)();
    using IdFn = int(WINAPI*)(int, DWORD*);
    using ProfileFn = int(WINAPI*)(DWORD);
    using NameFn = int(WINAPI*)(DWORD, char*, int*);
    const double start = NowMs();
    HMODULE module = LoadLibraryA((std::string(kPalmFolder) + "\\UserData.dll").c_str());
    if (!module) {
        Fail("cannot load the stand-in User Manager");
        return -1;
    }
    auto count = Export<CountFn>(module, "UmGetUserCount");
    auto id = Export<IdFn>(module, "UmGetUserID");
    auto profile = Export<ProfileFn>(module, "UmIsUserProfile");
    auto name = Export<NameFn>(module, "UmGetUserName");
    int listed = 0;
    if (count && id && profile && name) {
        const short users = count();
        for (int index = 0; index < users; ++index) {
            DWORD user = 0;
            if (id(index, &user) < 0 || profile(user)) continue;
            char text[32];
            int size = sizeof text;
            if (name(user, text, &size) > 0) ++listed;
        }
    }
    FreeLibrary(module);
    const double elapsed = NowMs() - start;
    if (listed != kUserCount) Fail("the stand-in User Manager listed %d users", listed);
    return elapsed;
}

// --- Modes ----------------------------------------------------------------

int Setup() {
    DeleteTree(HKEY_CURRENT_USER, StandIn("Users"));
    for (int index = 0; index < kUserCount; ++index) {
        HKEY user = CreateKey(StandIn("Users\\" + std::to_string(index)));
        if (!user) continue;
        SetDword(user, "ID", static_cast<DWORD>(1001 + index));
        SetString(user, "Name", "User " + std::to_string(index + 1));
        RegCloseKey(user);
    }
    if (HKEY user = CreateKey(std::string(kUsersKey) + "\\" + kBenchUser)) {
        SetString(user, "Path", kDataFile);
        RegCloseKey(user);
    }
    if (GetFileAttributesA(kDataFile) == INVALID_FILE_ATTRIBUTES) Fail("no data file %s", kDataFile);
    ClearCallLog();
    return 0;
}

// LoadLibrary + FreeLibrary, the product's settings library and the empty one
// in turn, after one untimed round. "host" first loads the system libraries
// twpalmui imports (or the ones named), as a calendar application would hold
// them, so that only twpalmui's own work is left.
int LoadMode(int runs, bool host, const std::vector<std::string>& held) {
    const std::string ui = OwnFolder() + "\\twpalmui.dll";
    const std::string empty = OwnFolder() + "\\bench_empty.dll";
    if (host) {
        std::vector<std::string> names = held;
        if (names.empty()) names = {"comdlg32.dll", "shell32.dll", "version.dll", "comctl32.dll"};
        for (const std::string& name : names) {
            if (!LoadLibraryA(name.c_str())) Fail("cannot load %s", name.c_str());
        }
    }
    const char* suffix = host ? ".host" : "";
    for (int run = -1; run < runs; ++run) {
        for (int turn = 0; turn < 2; ++turn) {
            // Alternate which goes first so neither always follows the other.
            const bool productTurn = (turn == 0) == (run % 2 == 0);
            const std::string& path = productTurn ? ui : empty;
            const double start = NowMs();
            HMODULE module = LoadLibraryA(path.c_str());
            if (module) FreeLibrary(module);
            const double micros = (NowMs() - start) * 1000.0;
            if (!module) {
                Fail("cannot load %s (error %lu)", path.c_str(), GetLastError());
                return g_failures;
            }
            if (GetModuleHandleA(path.c_str())) Fail("%s stays loaded after FreeLibrary", path.c_str());
            if (run < 0) continue;
            Sample((std::string("load.") + (productTurn ? "ui" : "empty") + suffix).c_str(), micros);
        }
    }
    return g_failures;
}

// The first load of a process, as a caller that loads the library once pays it.
int FirstLoadMode(const std::string& what) {
    const std::string path = OwnFolder() + (what == "ui" ? "\\twpalmui.dll" : "\\bench_empty.dll");
    const double start = NowMs();
    HMODULE module = LoadLibraryA(path.c_str());
    if (module) FreeLibrary(module);
    const double micros = (NowMs() - start) * 1000.0;
    if (!module) {
        Fail("cannot load %s (error %lu)", path.c_str(), GetLastError());
        return g_failures;
    }
    Sample(("load.first." + std::string(what == "ui" ? "ui" : "empty")).c_str(), micros);
    return g_failures;
}

const char kInstallKey[] = "SOFTWARE\\Quillon Software\\Orvelle\\Install";

// The Palm Desktop folder the settings library loads the User Manager from.
std::string PalmDesktopPath() {
    HKEY key = nullptr;
    char path[MAX_PATH] = {};
    DWORD size = sizeof path - 1;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegQueryValueExA(key, "PDPath", nullptr, nullptr, reinterpret_cast<BYTE*>(path), &size);
        RegCloseKey(key);
    }
    return path;
}

bool SetPalmDesktopPath(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return false;
    SetString(key, "PDPath", path);
    RegCloseKey(key);
    return true;
}

int UserListMode(int runs) {
    HMODULE ui = LoadProduct("twpalmui.dll");
    auto display = ui ? Export<DisplaySettingsFn>(ui, "DisplaySettings") : nullptr;
    if (!display) return g_failures;
    // The same list over a User Manager that keeps its users in memory.
    const std::string memoryManager = OwnFolder() + "\\bench-userdata";
    const bool haveMemoryManager =
        GetFileAttributesA((memoryManager + "\\UserData.dll").c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!haveMemoryManager) Note("no %s\\UserData.dll: dlg.userlist.memum n/a", memoryManager.c_str());
    const std::string palmDesktop = PalmDesktopPath();
    // Four contenders in turn, each run starting with the next one; one
    // untimed round first (the first call of a process is measured by "peak").
    for (int run = -1; run < runs; ++run) {
        for (int turn = 0; turn < 4; ++turn) {
            const int contender = (turn + run + 4) % 4;
            ClearCallLog();
            double up = -1;
            double ms = -1;
            const char* name = nullptr;
            if (contender == 0) {
                name = "empty";
                ms = TimeEmptyDialog(IDD_BENCH_EMPTY_USER_LIST, kEmptyUserListCaption, nullptr, &up);
            } else if (contender == 1) {
                name = "controls";
                ms = TimeEmptyDialog(IDD_BENCH_CONTROLS_USER_LIST, kControlsUserListCaption, nullptr, &up);
            } else if (contender == 2) {
                name = "userlist";
                ms = TimeUserList(display, nullptr, &up);
            } else if (haveMemoryManager) {
                name = "userlist.memum";
                if (!SetPalmDesktopPath(memoryManager)) Fail("cannot point PDPath at %s", memoryManager.c_str());
                ms = TimeUserList(display, nullptr, &up);
                SetPalmDesktopPath(palmDesktop);
            }
            if (!name || ms < 0 || run < 0) continue;
            Sample(("dlg." + std::string(name)).c_str(), ms);
            if (up >= 0) Sample(("up." + std::string(name)).c_str(), up);
        }
        ClearCallLog();
        const double standIn = TimeStandInUserManager();
        if (standIn >= 0 && run >= 0) Sample("standin.users", standIn);
    }
    return g_failures;
}

// twpalm.dll loaded from the product's folder, VerifyConduitDate(own window, 1),
// unloaded: ms.
double TimeComponentCheck() {
    double elapsed = -1;
    RunModal(
        [&] {
            const double start = NowMs();
            HMODULE palm = LoadProduct("twpalm.dll");
            auto verify = palm ? Export<ConduitsFn>(palm, "VerifyConduitDate") : nullptr;
            if (verify) verify(nullptr, 1);
            if (palm) FreeLibrary(palm);
            if (verify) elapsed = NowMs() - start;
        },
        [] {}, kDialogTimeoutMs);
    return elapsed;
}

int UserSettingsMode(int runs) {
    HMODULE ui = LoadProduct("twpalmui.dll");
    auto display = ui ? Export<DisplayUserSettingsFn>(ui, "DisplayUserSettings") : nullptr;
    if (!display) return g_failures;
    const std::string saved = std::string(kUsersKey) + "\\" + kBenchUser + "\\DateBook";
    // Three contenders in turn, after one untimed round.
    for (int run = -1; run < runs; ++run) {
        for (int turn = 0; turn < 3; ++turn) {
            ClearCallLog();
            const int contender = (turn + run + 3) % 3;
            if (contender != 0) {
                const bool controls = contender == 2;
                double up = -1;
                const double ms =
                    controls ? TimeEmptyDialog(IDD_BENCH_CONTROLS_SETTINGS, kControlsSettingsCaption, nullptr, &up)
                             : TimeEmptyDialog(IDD_BENCH_EMPTY_SETTINGS, kEmptySettingsCaption, nullptr, &up);
                const std::string name = controls ? "controls_settings" : "empty_settings";
                if (ms >= 0 && run >= 0) Sample(("dlg." + name).c_str(), ms);
                if (ms >= 0 && up >= 0 && run >= 0) Sample(("up." + name).c_str(), up);
                continue;
            }
            DeleteTree(HKEY_CURRENT_USER, saved);
            bool clicked = false;
            ForgetActivations();
            double start = 0;
            const bool ok = RunModal([&] { display(0, kBenchUser, nullptr); },
                                     [&] {
                                         HWND dialog = clicked ? nullptr : FindShown(kSettingsCaption);
                                         if (!dialog) return;
                                         clicked = true;
                                         PostCommand(dialog, IDOK);
                                     },
                                     kDialogTimeoutMs, &start);
            const double ms = NowMs() - start;
            HKEY key = nullptr;
            const bool written = RegOpenKeyExA(HKEY_CURRENT_USER, saved.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS &&
                                 RegQueryValueExA(key, "Conflicts", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
            if (key) RegCloseKey(key);
            if (!ok || !clicked) {
                Fail("the settings dialog \"%s\" did not show", kSettingsCaption);
            } else if (!written) {
                Fail("OK in the settings dialog saved nothing under HKCU\\%s", saved.c_str());
            } else if (run >= 0) {
                Sample("dlg.usersettings", ms);
                const double up = ActivatedAt(kSettingsCaption);
                if (up > start) Sample("up.usersettings", up - start);
            }
            // Of it: the component check, done here the way the settings library does it.
            ClearCallLog();
            const double verify = TimeComponentCheck();
            if (verify >= 0 && run >= 0) Sample("verify.date", verify);
        }
    }
    return g_failures;
}


// Runs reg.exe with its output thrown away; ms from the start to its end.
double RunReg(const std::string& arguments) {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    std::string command = "\"" + std::string(system) + "\\reg.exe\" " + arguments;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
    PROCESS_INFORMATION process = {};
    const double start = NowMs();
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process)) {
        Fail("cannot run %s (error %lu)", command.c_str(), GetLastError());
        CloseHandle(nul);
        return -1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    const double elapsed = NowMs() - start;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(nul);
    return elapsed;
}

// Where a summary's time goes: the system calls it makes, timed through
// twpalmui's imports. Separate runs: the timing itself costs a little.
struct SummaryProfile {
    int writes = 0;
    double writeMs = 0;
    int registryCalls = 0;
    double registryMs = 0;
    double textMs = 0;
    double versionMs = 0;
    double dialogAt = 0;  // when the summary dialog was asked for
};
SummaryProfile g_profile;

class Stopwatch {
public:
    explicit Stopwatch(double* total) : total_(total), start_(NowMs()) {}
    ~Stopwatch() { *total_ += NowMs() - start_; }
    Stopwatch(const Stopwatch&) = delete;
    Stopwatch& operator=(const Stopwatch&) = delete;

private:
    double* total_;
    double start_;
};

BOOL WINAPI TimedWriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    Stopwatch watch(&g_profile.writeMs);
    ++g_profile.writes;
    return WriteFile(file, data, size, written, overlapped);
}

LONG WINAPI TimedRegOpenKeyExA(HKEY key, LPCSTR name, DWORD options, REGSAM access, PHKEY result) {
    Stopwatch watch(&g_profile.registryMs);
    ++g_profile.registryCalls;
    return RegOpenKeyExA(key, name, options, access, result);
}

LONG WINAPI TimedRegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classLength, LPDWORD reserved, LPDWORD subkeys,
                                  LPDWORD longestSubkey, LPDWORD longestClass, LPDWORD values,
                                  LPDWORD longestValueName, LPDWORD longestValue, LPDWORD security,
                                  PFILETIME lastWrite) {
    Stopwatch watch(&g_profile.registryMs);
    ++g_profile.registryCalls;
    return RegQueryInfoKeyA(key, className, classLength, reserved, subkeys, longestSubkey, longestClass, values,
                            longestValueName, longestValue, security, lastWrite);
}

LONG WINAPI TimedRegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD reserved, LPDWORD type,
                               LPBYTE data, LPDWORD size) {
    Stopwatch watch(&g_profile.registryMs);
    ++g_profile.registryCalls;
    return RegEnumValueA(key, index, name, nameLength, reserved, type, data, size);
}

LONG WINAPI TimedRegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD reserved,
                               LPSTR className, LPDWORD classLength, PFILETIME lastWrite) {
    Stopwatch watch(&g_profile.registryMs);
    ++g_profile.registryCalls;
    return RegEnumKeyExA(key, index, name, nameLength, reserved, className, classLength, lastWrite);
}

BOOL WINAPI TimedSetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
    Stopwatch watch(&g_profile.textMs);
    return SetDlgItemTextA(dialog, id, text);
}

DWORD WINAPI TimedGetFileVersionInfoSizeA(LPCSTR file, LPDWORD handle) {
    Stopwatch watch(&g_profile.versionMs);
    return GetFileVersionInfoSizeA(file, handle);
}

BOOL WINAPI TimedGetFileVersionInfoA(LPCSTR file, DWORD handle, DWORD size, LPVOID data) {
    Stopwatch watch(&g_profile.versionMs);
    return GetFileVersionInfoA(file, handle, size, data);
}

INT_PTR WINAPI MarkedDialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC procedure, LPARAM lParam) {
    g_profile.dialogAt = NowMs();
    return DialogBoxParamA(instance, name, parent, procedure, lParam);
}

int SummaryMode(const std::string& label, int runs, bool profile) {
    HMODULE ui = LoadProduct("twpalmui.dll");
    auto display = ui ? Export<DisplaySettingsFn>(ui, "DisplaySettings") : nullptr;
    if (!display) return g_failures;
    std::vector<std::unique_ptr<testsupport::ImportPatch>> patches;
    if (profile) {
        const struct {
            const char* dll;
            const char* function;
            void* replacement;
        } timed[] = {
            {"KERNEL32.dll", "WriteFile", reinterpret_cast<void*>(&TimedWriteFile)},
            {"ADVAPI32.dll", "RegOpenKeyExA", reinterpret_cast<void*>(&TimedRegOpenKeyExA)},
            {"ADVAPI32.dll", "RegQueryInfoKeyA", reinterpret_cast<void*>(&TimedRegQueryInfoKeyA)},
            {"ADVAPI32.dll", "RegEnumValueA", reinterpret_cast<void*>(&TimedRegEnumValueA)},
            {"ADVAPI32.dll", "RegEnumKeyExA", reinterpret_cast<void*>(&TimedRegEnumKeyExA)},
            {"USER32.dll", "SetDlgItemTextA", reinterpret_cast<void*>(&TimedSetDlgItemTextA)},
            {"USER32.dll", "DialogBoxParamA", reinterpret_cast<void*>(&MarkedDialogBoxParamA)},
            {"VERSION.dll", "GetFileVersionInfoSizeA", reinterpret_cast<void*>(&TimedGetFileVersionInfoSizeA)},
            {"VERSION.dll", "GetFileVersionInfoA", reinterpret_cast<void*>(&TimedGetFileVersionInfoA)},
        };
        for (const auto& entry : timed) {
            patches.push_back(std::make_unique<testsupport::ImportPatch>(ui, entry.dll, entry.function, entry.replacement));
            if (!patches.back()->applied()) Note("twpalmui.dll imports no %s!%s to time", entry.dll, entry.function);
        }
    }
    char name[32];
    std::snprintf(name, sizeof name, "summary-%lX.txt", static_cast<unsigned long>(GetCurrentThreadId()));
    const std::string summaryFile = TempFolder() + name;
    const std::string exportFile = TempFolder() + "bench-export.reg";
    bool shown = false;
    for (int run = 0; run < runs; ++run) {
        ClearCallLog();
        DeleteFileA(summaryFile.c_str());
        g_summary = SummaryWatch();
        int phase = 0;  // 0 list coming, 1 summary asked for, 2 summary shown or given up
        double askedAt = 0;
        HWND list = nullptr;
        const bool ok = RunModal([&] { display(nullptr); },
                                 [&] {
                                     if (phase == 0) {
                                         list = FilledUserList();
                                         if (!list) return;
                                         phase = 1;
                                         g_summary.waiting = true;
                                         g_profile = SummaryProfile();
                                         askedAt = NowMs();
                                         PostMessageA(list, WM_SYSCOMMAND, kSummaryCommand, 0);
                                     } else if (phase == 1) {
                                         if (g_summary.waiting && NowMs() - askedAt < kSummaryTimeoutMs) return;
                                         g_summary.waiting = false;
                                         phase = 2;
                                     }
                                     if (phase == 2 && !(g_summary.dialog && IsWindow(g_summary.dialog))) {
                                         phase = 3;
                                         PostCommand(list, IDCANCEL);
                                     }
                                 },
                                 kSummaryTimeoutMs + kDialogTimeoutMs);
        if (!ok || phase < 1) {
            Fail("the user list did not come up for the summary");
            break;
        }
        if (!g_summary.dialog) {
            // Not (yet) in this build: the figure stays empty.
            Note("no \"%s\" dialog after WM_SYSCOMMAND %u: summary.%s n/a", kSummaryCaption,
                 static_cast<unsigned>(kSummaryCommand), label.c_str());
            break;
        }
        shown = true;
        if (profile) {
            const std::string prefix = "summary." + label + ".prof.";
            Sample((prefix + "ms").c_str(), g_summary.shownAt - askedAt);
            if (g_profile.dialogAt > askedAt) {
                Sample((prefix + "build_ms").c_str(), g_profile.dialogAt - askedAt);
                Sample((prefix + "dialog_ms").c_str(), g_summary.shownAt - g_profile.dialogAt);
            }
            Sample((prefix + "version_ms").c_str(), g_profile.versionMs);
            Sample((prefix + "writes").c_str(), g_profile.writes);
            Sample((prefix + "write_ms").c_str(), g_profile.writeMs);
            Sample((prefix + "registry_calls").c_str(), g_profile.registryCalls);
            Sample((prefix + "registry_ms").c_str(), g_profile.registryMs);
            Sample((prefix + "text_ms").c_str(), g_profile.textMs);
            continue;
        }
        Sample(("summary." + label + ".ms").c_str(), g_summary.shownAt - askedAt);
        const double size = FileSize(summaryFile);
        if (size < 0) {
            Fail("no %s after the summary", summaryFile.c_str());
        } else {
            Sample(("summary." + label + ".bytes").c_str(), size);
        }

        DeleteFileA(exportFile.c_str());
        const double exportMs = RunReg(std::string("export \"HKCU\\") + kProductKey + "\" \"" + exportFile + "\" /y");
        if (exportMs >= 0) {
            Sample(("regexport." + label + ".ms").c_str(), exportMs);
            const double exportSize = FileSize(exportFile);
            if (exportSize < 0) {
                Fail("reg export wrote no %s", exportFile.c_str());
            } else {
                Sample(("regexport." + label + ".bytes").c_str(), exportSize);
            }
        }
        // reg.exe's start and end alone: a query of a key that is not there.
        const double startMs = RunReg("query \"HKCU\\Software\\Tidewell Bench Nothing\"");
        if (startMs >= 0) Sample("regstart.ms", startMs);
    }
    DeleteFileA(exportFile.c_str());
    // A summary that never came is a figure that failed to run.
    return g_failures + (shown ? 0 : 1);
}

// 10,000 values over 100 subkeys of the product's key: mostly paths, some
// numbers and binary blocks, as a well-used installation might carry.
int BulkMode(bool add) {
    for (int sub = 0; sub < 100; ++sub) {
        char path[128];
        std::snprintf(path, sizeof path, "%s\\Bulk %03d", kProductKey, sub);
        if (!add) {
            DeleteTree(HKEY_CURRENT_USER, path);
            continue;
        }
        HKEY key = CreateKey(path);
        if (!key) return g_failures;
        for (int value = 0; value < 100; ++value) {
            char name[32];
            std::snprintf(name, sizeof name, "Value %02d", value);
            if (value % 10 == 8) {
                SetDword(key, name, static_cast<DWORD>(sub * 100 + value));
            } else if (value % 10 == 9) {
                BYTE block[24];
                for (int i = 0; i < 24; ++i) block[i] = static_cast<BYTE>(sub + value + i);
                RegSetValueExA(key, name, 0, REG_BINARY, block, sizeof block);
            } else {
                char text[96];
                std::snprintf(text, sizeof text, "C:\\Calendar\\Archive %03d\\Home \"%02d\".al0", sub, value);
                SetString(key, name, text);
            }
        }
        RegCloseKey(key);
    }
    return g_failures;
}

// Counts the HotSync pause's waits and still waits them.
int g_sleeps500 = 0;
int g_sleepsOther = 0;
void WINAPI CountingSleep(DWORD ms) {
    if (ms == 500) {
        ++g_sleeps500;
    } else {
        ++g_sleepsOther;
    }
    Sleep(ms);
}

// How the HotSync Manager behaves: not running; running and closing (and
// starting) at the first check; closing and starting one check later.
bool SetHotSync(const std::string& scenario) {
    HKEY key = CreateKey(StandIn("HotSync"));
    if (!key) return false;
    RegDeleteValueA(key, "CloseCountdown");
    RegDeleteValueA(key, "StartCountdown");
    SetDword(key, "Syncing", 0);
    bool known = true;
    if (scenario == "stopped") {
        SetDword(key, "Running", 0);
        SetDword(key, "CloseAfterChecks", 0);
        SetDword(key, "StartAfterChecks", 0);
    } else if (scenario == "at-once") {
        SetDword(key, "Running", 1);
        SetDword(key, "CloseAfterChecks", 0);
        SetDword(key, "StartAfterChecks", 0);
    } else if (scenario == "after-one") {
        SetDword(key, "Running", 1);
        SetDword(key, "CloseAfterChecks", 1);
        SetDword(key, "StartAfterChecks", 1);
    } else {
        known = false;
        Fail("unknown HotSync scenario %s", scenario.c_str());
    }
    RegCloseKey(key);
    return known;
}

bool DateBookIs(const char* fileName) {
    std::string name;
    if (!ReadString(StandIn("Conduits\\date"), "Name", &name)) return false;
    return name.size() >= std::strlen(fileName) &&
           lstrcmpiA(name.c_str() + name.size() - std::strlen(fileName), fileName) == 0;
}

int ConduitsMode(const std::string& scenario, int runs) {
    HMODULE palm = LoadProduct("twpalm.dll");
    auto install = palm ? Export<ConduitsFn>(palm, "InstallAllConduits") : nullptr;
    auto uninstall = palm ? Export<ConduitsFn>(palm, "UninstallAllConduits") : nullptr;
    if (!install || !uninstall) return g_failures;
    testsupport::ImportPatch sleepPatch(palm, "KERNEL32.dll", "Sleep", reinterpret_cast<void*>(&CountingSleep));
    if (!sleepPatch.applied()) {
        Fail("twpalm.dll imports no KERNEL32.dll!Sleep to count");
        return g_failures;
    }
    // The cycle starts where a fresh installation does: Palm's own Date Book
    // conduit registered, nothing of the product's.
    SetHotSync("stopped");
    uninstall(nullptr, 1);
    for (int run = 0; run < runs; ++run) {
        if (!SetHotSync(scenario)) return g_failures;
        ClearCallLog();
        g_sleeps500 = g_sleepsOther = 0;
        const double start = NowMs();
        install(nullptr, 1);
        const double installed = NowMs();
        const bool ownRegistered = DateBookIs("twdate.dll") && KeyExists(StandIn("Conduits\\todo"));
        const double uninstallStart = NowMs();
        uninstall(nullptr, 1);
        const double end = NowMs();
        if (!ownRegistered) Fail("%s: InstallAllConduits registered no conduits", scenario.c_str());
        if (!DateBookIs("Datebook3.dll") || KeyExists(StandIn("Conduits\\todo"))) {
            Fail("%s: UninstallAllConduits left the registrations wrong", scenario.c_str());
        }
        const std::string prefix = "conduits." + scenario;
        Sample((prefix + ".ms").c_str(), (installed - start) + (end - uninstallStart));
        Sample((prefix + ".waits").c_str(), g_sleeps500);
        Sample((prefix + ".hs").c_str(), CountCalls("HsSetAppStatus("));
        if (g_sleepsOther) Note("%s: %d other waits", scenario.c_str(), g_sleepsOther);
    }
    // Leave the product registered, as the other modes expect.
    SetHotSync("at-once");
    install(nullptr, 1);
    SetHotSync("at-once");
    return g_failures;
}

int PeakMode(const std::string& what) {
    double peakKb = -1;
    double ms = -1;
    if (what == "empty") {
        ms = TimeEmptyDialog(IDD_BENCH_EMPTY_USER_LIST, kEmptyUserListCaption, &peakKb);
    } else if (what == "controls") {
        ms = TimeEmptyDialog(IDD_BENCH_CONTROLS_USER_LIST, kControlsUserListCaption, &peakKb);
    } else if (what == "ui-loaded" || what == "host-dlls") {
        // The empty dialog in a process holding twpalmui.dll, or only the
        // system libraries it imports: what loading them alone adds.
        if (what == "ui-loaded") {
            LoadProduct("twpalmui.dll");
        } else {
            for (const char* name : {"comdlg32.dll", "shell32.dll", "version.dll", "comctl32.dll"}) LoadLibraryA(name);
        }
        TimeEmptyDialog(IDD_BENCH_EMPTY_USER_LIST, kEmptyUserListCaption, &peakKb);
    } else if (what == "userlist") {
        HMODULE ui = LoadProduct("twpalmui.dll");
        auto display = ui ? Export<DisplaySettingsFn>(ui, "DisplaySettings") : nullptr;
        if (!display) return g_failures;
        ms = TimeUserList(display, &peakKb);
    } else {
        Fail("peak of what: %s", what.c_str());
    }
    // The only dialog of its process: also the first call's time.
    if (ms >= 0) Sample(("dlg.first." + what).c_str(), ms);
    if (peakKb >= 0) Sample(("ws." + what).c_str(), peakKb);
    return g_failures;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: twbench setup | load RUNS [host [DLL...]] | first ui|empty | userlist RUNS |\n"
                 "               usersettings RUNS | summary LABEL RUNS [profile] | bulk add|remove | conduits SCENARIO RUNS |\n"
                 "               peak userlist|controls|empty|ui-loaded|host-dlls\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    SetWindowsHookExA(WH_CBT, WatchActivation, nullptr, GetCurrentThreadId());
    const std::string mode = argv[1];
    auto number = [&](int index, int fallback) { return argc > index ? std::atoi(argv[index]) : fallback; };
    auto word = [&](int index) { return std::string(argc > index ? argv[index] : ""); };
    if (mode == "setup") return Setup();
    if (mode == "load") return LoadMode(number(2, 100), word(3) == "host", std::vector<std::string>(argv + std::min(argc, 4), argv + argc));
    if (mode == "first") return FirstLoadMode(word(2));
    if (mode == "userlist") return UserListMode(number(2, 10));
    if (mode == "usersettings") return UserSettingsMode(number(2, 5));
    if (mode == "summary") return SummaryMode(word(2).empty() ? "demo" : word(2), number(3, 3), word(4) == "profile");
    if (mode == "bulk") return BulkMode(word(2) != "remove");
    if (mode == "conduits") return ConduitsMode(word(2), number(3, 3));
    if (mode == "peak") return PeakMode(word(2));
    return Usage();
}
