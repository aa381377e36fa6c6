// A damaged twpalm.dll: its verify exports count the call in the registry,
// then write through a null pointer.
//
// HKCU\Software\Faulting twpalm Stand-in
//   Calls   REG_DWORD  number of verify calls so far
#include <windows.h>

#include "common/reg_key.h"

namespace {

void CountAndFault() {
    const RegKey root = RegKey::Create(HKEY_CURRENT_USER, "Software\\Faulting twpalm Stand-in");
    DWORD calls = 0, size = sizeof calls;
    RegQueryValueExA(root.get(), "Calls", nullptr, nullptr, reinterpret_cast<BYTE*>(&calls), &size);
    root.WriteDword("Calls", calls + 1);
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
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
