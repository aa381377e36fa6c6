// The four exports of twpalm. Each always returns 0: the outcome reaches the
// user only through the library's own message boxes.
//
// Nothing may leave an export as an exception: the installer that calls us
// was not built with our runtime. The only exception our code can meet is a
// failed allocation; it is reported as the Conduit Manager's "out of memory"
// (unless quiet), with nothing more done.

#include <windows.h>

#include "include/twpalm.h"
#include "installer/conduit_definitions.h"
#include "installer/entry_points.h"
#include "installer/owner_report.h"
#include "installer/result_codes.h"

namespace {

template <typename Work>
int RunExport(int quiet, Work work) noexcept {
    try {
        work();
    } catch (...) {
        ReportResult(quiet, kCmOutOfMemory);
    }
    return 0;
}

}  // namespace

extern "C" {

int WINAPI InstallAllConduits(HWND owner, int quiet) noexcept {
    return RunExport(quiet, [&] { InstallBothConduits(owner, quiet); });
}

int WINAPI UninstallAllConduits(HWND owner, int quiet) noexcept {
    return RunExport(quiet, [&] { UninstallBothConduits(owner, quiet); });
}

int WINAPI VerifyConduitDate(HWND owner, int interactive) noexcept {
    return RunExport(!interactive, [&] { VerifyConduit(kDateBookConduit, owner, interactive); });
}

int WINAPI VerifyConduitTask(HWND owner, int interactive) noexcept {
    return RunExport(!interactive, [&] { VerifyConduit(kToDoListConduit, owner, interactive); });
}

}  // extern "C"
