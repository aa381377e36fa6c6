/* A stand-in conduit library (twdate.dll, twtask.dll): the real conduits are
 * not part of this project. Only the file and its version resource matter:
 * the installer ships it, Palm Desktop's Conduit Manager is pointed at it and
 * the Settings Summary reads its version. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
