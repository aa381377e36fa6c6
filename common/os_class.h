#pragma once

// The operating-system class of the settings library, decided once at load:
// 0 9x below 4, 1 NT below 4, 2 Windows 95 (and any 9x not listed),
// 3 Windows 98, 4 Windows Me, 5 NT 4.0, 6 Windows 2000, 7 XP / Server 2003,
// 8 Vista or later.
enum OsClass : int {
    kOsOld9x = 0,
    kOsOldNt = 1,
    kOsWindows95 = 2,
    kOsWindows98 = 3,
    kOsWindowsMe = 4,
    kOsNt4 = 5,
    kOsWindows2000 = 6,
    kOsWindowsXp = 7,
    kOsVistaOrLater = 8,
};

int GetOsClass();
// The class for a 9x-or-NT family flag and a version.
int ClassifyOs(bool nineXFamily, unsigned major, unsigned minor);
