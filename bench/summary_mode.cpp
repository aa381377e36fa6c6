// The Settings Summary, asked for from the user list, against Wine's own
// "reg export" of the same key; "profile" runs time the system calls it makes.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/clock.h"
#include "bench/dialogs.h"
#include "bench/modal_run.h"
#include "bench/modes.h"
#include "bench/output.h"
#include "bench/product.h"
#include "common/path.h"
#include "common/registry_names.h"
#include "common/unique_handle.h"
#include "tests/support/import_patch.h"
#include "tests/support/palm_desktop.h"

namespace bench {

namespace {

// A process or thread handle: null when empty.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return nullptr; }
    static void Close(Handle handle) { CloseHandle(handle); }
};
using KernelHandle = UniqueHandle<KernelHandleTraits>;

const WPARAM kSummaryCommand = 16;
const double kSummaryTimeoutMs = 300000;

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

// Runs reg.exe with its output thrown away; ms from the start to its end.
double RunReg(const std::string& arguments) {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    std::string command = "\"" + path::Join(system, "reg.exe") + "\" " + arguments;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    const FileHandle nul(CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                     OPEN_EXISTING, 0, nullptr));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nul.get();
    PROCESS_INFORMATION process = {};
    const double start = NowMs();
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process)) {
        Fail("cannot run %s (error %lu)", command.c_str(), GetLastError());
        return -1;
    }
    const KernelHandle thread(process.hThread);
    const KernelHandle child(process.hProcess);
    WaitForSingleObject(child.get(), INFINITE);
    return NowMs() - start;
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

using Patches = std::vector<std::unique_ptr<testsupport::ImportPatch>>;

Patches TimeImports(HMODULE ui) {
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
    Patches patches;
    for (const auto& entry : timed) {
        patches.push_back(std::make_unique<testsupport::ImportPatch>(ui, entry.dll, entry.function, entry.replacement));
        if (!patches.back()->applied()) Note("twpalmui.dll imports no %s!%s to time", entry.dll, entry.function);
    }
    return patches;
}

// The summary dialog is matched when it is activated, after it has read the
// file: that is the moment the user sees the summary. It is closed at once.
struct SummaryWatch {
    bool waiting = false;
    double shownAt = 0;
    HWND dialog = nullptr;
};
SummaryWatch g_summary;

void CatchSummary(HWND window, const std::string& caption, double) {
    if (!g_summary.waiting || caption != kSummaryCaption) return;
    g_summary.shownAt = NowMs();
    g_summary.dialog = window;
    g_summary.waiting = false;
    PostCommand(window, IDCANCEL);
}

// DisplaySettings, the summary asked for from the user list once it is
// filled, both closed: false when the list never came up. *askedAt: when the
// summary was asked for.
bool ShowSummary(DisplaySettingsFn display, double* askedAt) {
    g_summary = SummaryWatch();
    int phase = 0;  // 0 list coming, 1 summary asked for, 2 summary shown or given up, 3 list closing
    HWND list = nullptr;
    const bool ok = RunModal([&] { display(nullptr); },
                             [&] {
                                 if (phase == 0) {
                                     list = FilledUserList();
                                     if (!list) return;
                                     phase = 1;
                                     g_summary.waiting = true;
                                     g_profile = SummaryProfile();
                                     *askedAt = NowMs();
                                     PostMessageA(list, WM_SYSCOMMAND, kSummaryCommand, 0);
                                 } else if (phase == 1) {
                                     if (g_summary.waiting && NowMs() - *askedAt < kSummaryTimeoutMs) return;
                                     g_summary.waiting = false;
                                     phase = 2;
                                 }
                                 if (phase == 2 && !(g_summary.dialog && IsWindow(g_summary.dialog))) {
                                     phase = 3;
                                     PostCommand(list, IDCANCEL);
                                 }
                             },
                             kSummaryTimeoutMs + kDialogTimeoutMs);
    return ok && phase >= 1;
}

void SampleProfile(const std::string& label, double askedAt) {
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
}

// The same key through reg.exe, and reg.exe's start and end alone (a query
// of a key that is not there).
void SampleRegExport(const std::string& label, const std::string& exportFile) {
    DeleteFileA(exportFile.c_str());
    const double exportMs =
        RunReg(std::string("export \"HKCU\\") + regnames::kProductUserKey + "\" \"" + exportFile + "\" /y");
    if (exportMs >= 0) {
        Sample(("regexport." + label + ".ms").c_str(), exportMs);
        const double exportSize = FileSize(exportFile);
        if (exportSize < 0) {
            Fail("reg export wrote no %s", exportFile.c_str());
        } else {
            Sample(("regexport." + label + ".bytes").c_str(), exportSize);
        }
    }
    const double startMs = RunReg("query \"HKCU\\Software\\Tidewell Bench Nothing\"");
    if (startMs >= 0) Sample("regstart.ms", startMs);
}

}  // namespace

int SummaryMode(const std::string& label, int runs, bool profile) {
    HMODULE ui = LoadProduct("twpalmui.dll");
    auto display = ui ? Export<DisplaySettingsFn>(ui, "DisplaySettings") : nullptr;
    if (!display) return Failures();
    const Patches patches = profile ? TimeImports(ui) : Patches();
    SetActivationListener(CatchSummary);
    testsupport::PalmDesktop palm;
    char name[32];
    std::snprintf(name, sizeof name, "summary-%lX.txt", static_cast<unsigned long>(GetCurrentThreadId()));
    const std::string summaryFile = TempFolder() + name;
    const std::string exportFile = TempFolder() + "bench-export.reg";
    bool shown = false;
    for (int run = 0; run < runs; ++run) {
        palm.ClearCallLog();
        DeleteFileA(summaryFile.c_str());
        double askedAt = 0;
        if (!ShowSummary(display, &askedAt)) {
            Fail("the user list did not come up for the summary");
            break;
        }
        if (!g_summary.dialog) {
            Note("no \"%s\" dialog after WM_SYSCOMMAND %u: summary.%s n/a", kSummaryCaption,
                 static_cast<unsigned>(kSummaryCommand), label.c_str());
            break;
        }
        shown = true;
        if (profile) {
            SampleProfile(label, askedAt);
            continue;
        }
        Sample(("summary." + label + ".ms").c_str(), g_summary.shownAt - askedAt);
        const double size = FileSize(summaryFile);
        if (size < 0) {
            Fail("no %s after the summary", summaryFile.c_str());
        } else {
            Sample(("summary." + label + ".bytes").c_str(), size);
        }
        SampleRegExport(label, exportFile);
    }
    SetActivationListener(nullptr);
    DeleteFileA(exportFile.c_str());
    // A summary that never came is a figure that failed to run.
    return Failures() + (shown ? 0 : 1);
}

}  // namespace bench
