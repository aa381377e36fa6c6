// A library with no work in it: what loading any DLL costs on this system.

#include <windows.h>

extern "C" int WINAPI BenchNothing() { return 0; }

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
