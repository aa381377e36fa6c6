// A damaged twpalm.dll: its verify exports count the call in the registry,
// then fault inside a frame of their own.
//
// HKCU\Software\Faulting twpalm Stand-in
//   Calls   REG_DWORD  number of verify calls so far
//   Fault   REG_DWORD  how they fault (standins/foreign_faults.h; missing: 1,
//                      an access violation), with that frame's "Searched" and
//                      "Unwound" counts beside it
#include <windows.h>

#include "common/reg_key.h"
#include "standins/foreign_faults.h"

namespace {

const char kKey[] = "Software\\Faulting twpalm Stand-in";

void CountAndFault() {
    const RegKey root = RegKey::Create(HKEY_CURRENT_USER, kKey);
    DWORD calls = 0, size = sizeof calls;
    RegQueryValueExA(root.get(), "Calls", nullptr, nullptr, reinterpret_cast<BYTE*>(&calls), &size);
    root.WriteDword("Calls", calls + 1);
    ForeignFault(kKey, 1);
}

}  // namespace

extern "C" int WINAPI VerifyConduitDate(HWND, int) {
    CountAndFault();
    return 0;
}

extern "C" int WINAPI VerifyConduitTask(HWND, int) {
    CountAndFault();
    return 0;
}
