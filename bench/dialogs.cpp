#include "bench/dialogs.h"

#include <psapi.h>

#include "bench/clock.h"
#include "bench/modal_run.h"
#include "bench/output.h"

namespace bench {

namespace {

// The floor: a dialog with no code but the one that closes it.
INT_PTR CALLBACK EmptyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) noexcept {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

double PeakWorkingSetKb() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return -1;
    return static_cast<double>(counters.PeakWorkingSetSize) / 1024.0;
}

double TimeEmptyDialog(int templateId, const char* caption, double* peakKb, double* upMs) {
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

HWND FilledUserList() {
    HWND dialog = FindShown(kUserListCaption);
    if (!dialog) return nullptr;
    HWND list = GetDlgItem(dialog, kUsersListId);
    if (!list || SendMessageA(list, LB_GETCOUNT, 0, 0) != kUserCount) return nullptr;
    return dialog;
}

double TimeUserList(DisplaySettingsFn display, double* peakKb, double* upMs) {
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

}  // namespace bench
