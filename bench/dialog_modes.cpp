// The settings library's dialogs against dialogs of the same size, font and
// controls with no code behind them.
#include <windows.h>

#include <string>
#include <vector>

#include "bench/clock.h"
#include "bench/dialogs.h"
#include "bench/modal_run.h"
#include "bench/modes.h"
#include "bench/output.h"
#include "bench/product.h"
#include "bench/twbench_ids.h"
#include "common/path.h"
#include "common/reg_key.h"
#include "tests/support/palm_desktop.h"
#include "tests/support/test_paths.h"

namespace bench {

namespace {

// The stand-in User Manager alone, called the way the user list calls it:
// how much of the list's time is spent outside the product.
double TimeStandInUserManager() {
    using CountFn = short(WINAPI*)();
    using IdFn = int(WINAPI*)(int, DWORD*);
    using ProfileFn = int(WINAPI*)(DWORD);
    using NameFn = int(WINAPI*)(DWORD, char*, int*);
    const double start = NowMs();
    HMODULE module = LoadLibraryA(path::Join(kPalmFolder, "UserData.dll").c_str());
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

// DisplayUserSettings until the settings dialog is up, then OK: ms, or -1.
// *upMs: from the call until the dialog was activated.
double TimeUserSettings(DisplayUserSettingsFn display, const std::string& savedKey, double* upMs) {
    DeleteKeyTree(HKEY_CURRENT_USER, savedKey.c_str());
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
    std::vector<BYTE> conflicts;
    const bool written = RegKey::Open(HKEY_CURRENT_USER, savedKey.c_str()).ReadBytes("Conflicts", &conflicts);
    if (!ok || !clicked) {
        Fail("the settings dialog \"%s\" did not show", kSettingsCaption);
        return -1;
    }
    if (!written) {
        Fail("OK in the settings dialog saved nothing under HKCU\\%s", savedKey.c_str());
        return -1;
    }
    const double up = ActivatedAt(kSettingsCaption);
    *upMs = up > start ? up - start : -1;
    return ms;
}

}  // namespace

int UserListMode(int runs) {
    HMODULE ui = LoadProduct("twpalmui.dll");
    auto display = ui ? Export<DisplaySettingsFn>(ui, "DisplaySettings") : nullptr;
    if (!display) return Failures();
    testsupport::PalmDesktop palm;
    // The same list over a User Manager that keeps its users in memory.
    const std::string memoryManager = ProductPath("bench-userdata");
    const bool haveMemoryManager = testsupport::PathExists(path::Join(memoryManager, "UserData.dll"));
    if (!haveMemoryManager) Note("no %s\\UserData.dll: dlg.userlist.memum n/a", memoryManager.c_str());
    const std::string palmDesktop = PalmDesktopPath();
    // Four contenders in turn, each run starting with the next one; one
    // untimed round first (the first call of a process is measured by "peak").
    for (int run = -1; run < runs; ++run) {
        for (int turn = 0; turn < 4; ++turn) {
            const int contender = (turn + run + 4) % 4;
            palm.ClearCallLog();
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
        palm.ClearCallLog();
        const double standIn = TimeStandInUserManager();
        if (standIn >= 0 && run >= 0) Sample("standin.users", standIn);
    }
    return Failures();
}

int UserSettingsMode(int runs) {
    HMODULE ui = LoadProduct("twpalmui.dll");
    auto display = ui ? Export<DisplayUserSettingsFn>(ui, "DisplayUserSettings") : nullptr;
    if (!display) return Failures();
    testsupport::PalmDesktop palm;
    const std::string saved = BenchUserKeyPath() + "\\DateBook";
    // Three contenders in turn, after one untimed round.
    for (int run = -1; run < runs; ++run) {
        for (int turn = 0; turn < 3; ++turn) {
            palm.ClearCallLog();
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
            double up = -1;
            const double ms = TimeUserSettings(display, saved, &up);
            if (ms >= 0 && run >= 0) {
                Sample("dlg.usersettings", ms);
                if (up >= 0) Sample("up.usersettings", up);
            }
            // Of it: the component check, done here the way the settings library does it.
            palm.ClearCallLog();
            const double verify = TimeComponentCheck();
            if (verify >= 0 && run >= 0) Sample("verify.date", verify);
        }
    }
    return Failures();
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
            for (const std::string& name : HostLibraries()) LoadLibraryA(name.c_str());
        }
        TimeEmptyDialog(IDD_BENCH_EMPTY_USER_LIST, kEmptyUserListCaption, &peakKb);
    } else if (what == "userlist") {
        HMODULE ui = LoadProduct("twpalmui.dll");
        auto display = ui ? Export<DisplaySettingsFn>(ui, "DisplaySettings") : nullptr;
        if (!display) return Failures();
        ms = TimeUserList(display, &peakKb);
    } else {
        Fail("peak of what: %s", what.c_str());
    }
    // The only dialog of its process: also the first call's time.
    if (ms >= 0) Sample(("dlg.first." + what).c_str(), ms);
    if (peakKb >= 0) Sample(("ws." + what).c_str(), peakKb);
    return Failures();
}

}  // namespace bench
