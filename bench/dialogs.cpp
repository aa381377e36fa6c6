#include "bench/dialogs.h"

#include <psapi.h>

#include <string>

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

namespace {

// Runs show() modally until ready() finds its dialog, notes the peak working
// set then, and closes it: the time from the call to the dialog's end, or -1
// (with failure as the reason) when it never became ready.
template <typename Show, typename Ready>
double TimeShownDialog(Show show, Ready ready, const char* caption, double* peakKb, double* upMs,
                       const std::string& failure) {
    bool closed = false;
    ForgetActivations();
    double start = 0;
    const bool ok = RunModal(show,
                             [&] {
                                 HWND dialog = closed ? nullptr : ready();
                                 if (!dialog) return;
                                 if (peakKb) *peakKb = PeakWorkingSetKb();
                                 closed = true;
                                 PostCommand(dialog, IDCANCEL);
                             },
                             kDialogTimeoutMs, &start);
    const double elapsed = NowMs() - start;
    if (!ok || !closed) {
        Fail("%s", failure.c_str());
        return -1;
    }
    if (upMs) *upMs = ActivatedAt(caption) - start;
    return elapsed;
}

}  // namespace

double TimeEmptyDialog(int templateId, const char* caption, double* peakKb, double* upMs) {
    return TimeShownDialog(
        [&] {
            DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), nullptr, EmptyDialogProc, 0);
        },
        [&] { return FindShown(caption); }, caption, peakKb, upMs,
        std::string("the empty dialog \"") + caption + "\" did not show");
}

HWND FilledUserList() {
    HWND dialog = FindShown(kUserListCaption);
    if (!dialog) return nullptr;
    HWND list = GetDlgItem(dialog, kUsersListId);
    if (!list || SendMessageA(list, LB_GETCOUNT, 0, 0) != kUserCount) return nullptr;
    return dialog;
}

double TimeUserList(DisplaySettingsFn display, double* peakKb, double* upMs) {
    return TimeShownDialog([&] { display(nullptr); }, FilledUserList, kUserListCaption, peakKb, upMs,
                           "the user list did not show " + std::to_string(kUserCount) + " users");
}

}  // namespace bench
