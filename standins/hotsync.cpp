// Stand-in for HotSync Manager: starting it marks HotSync as running.

#include <windows.h>

#include "standins/standin_state.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RegKey key = standin::CreateState("HotSync");
    if (!key.WriteDword("Running", 1)) return 1;
    // Already started: a pending start request has nothing left to do.
    RegDeleteValueA(key.get(), "StartCountdown");
    return 0;
}
