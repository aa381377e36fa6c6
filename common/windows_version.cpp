#include "common/windows_version.h"

#include <windows.h>

namespace {

bool DetectVistaOrLater() {
    const bool nineXFamily = (GetVersion() & 0x80000000u) != 0;
    if (nineXFamily) return false;
    OSVERSIONINFOA info;
    if (!QueryWindowsVersion(&info)) return false;
    return IsNtSixOrLater(false, info.dwMajorVersion);
}

const bool g_vistaOrLater = DetectVistaOrLater();

}  // namespace

bool QueryWindowsVersion(OSVERSIONINFOA* info) {
    *info = OSVERSIONINFOA{};
    info->dwOSVersionInfoSize = sizeof *info;
    return GetVersionExA(info) != FALSE;
}

bool IsNtSixOrLater(bool nineXFamily, unsigned majorVersion) {
    return !nineXFamily && majorVersion >= 6;
}

bool IsVistaOrLater() { return g_vistaOrLater; }
