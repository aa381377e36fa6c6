// The four exports of twpalm. Each always returns 0: the outcome reaches the
// user only through the library's own message boxes.

#include <windows.h>

#include "include/twpalm.h"
#include "installer/conduit_definitions.h"
#include "installer/entry_points.h"

extern "C" {

int WINAPI InstallAllConduits(HWND owner, int quiet) {
    InstallBothConduits(owner, quiet);
    return 0;
}

int WINAPI UninstallAllConduits(HWND owner, int quiet) {
    UninstallBothConduits(owner, quiet);
    return 0;
}

int WINAPI VerifyConduitDate(HWND owner, int interactive) {
    VerifyConduit(kDateBookConduit, owner, interactive);
    return 0;
}

int WINAPI VerifyConduitTask(HWND owner, int interactive) {
    VerifyConduit(kToDoListConduit, owner, interactive);
    return 0;
}

}  // extern "C"
