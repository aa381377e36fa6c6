#include "common/os_class.h"

#include <windows.h>

#include "common/windows_version.h"

namespace {

int DetectOsClass() {
    const bool nineX = (GetVersion() & 0x80000000u) != 0;
    if (nineX && LOBYTE(LOWORD(GetVersion())) < 4) return kOsOld9x;
    OSVERSIONINFOA info;
    if (!QueryWindowsVersion(&info)) return nineX ? kOsWindows95 : kOsOldNt;
    return ClassifyOs(nineX, info.dwMajorVersion, info.dwMinorVersion);
}

const int g_osClass = DetectOsClass();

}  // namespace

int ClassifyOs(bool nineXFamily, unsigned major, unsigned minor) {
    if (nineXFamily) {
        if (major < 4) return kOsOld9x;
        if (major == 4 && minor == 10) return kOsWindows98;
        if (major == 4 && minor == 90) return kOsWindowsMe;
        return kOsWindows95;
    }
    if (major < 4) return kOsOldNt;
    if (major == 4) return kOsNt4;
    if (major == 5) return minor == 0 ? kOsWindows2000 : kOsWindowsXp;
    return kOsVistaOrLater;
}

int GetOsClass() { return g_osClass; }
