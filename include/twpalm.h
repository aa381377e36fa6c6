/*
 * twpalm.dll, the conduit registration library of Tidewell for Palm.
 *
 * The product's installer calls InstallAllConduits after it has copied the
 * product and written the installation value "Path", and UninstallAllConduits
 * before it removes the files. The settings library calls the two verify
 * functions before it shows a conduit's settings.
 *
 * Every function returns 0, also when it failed: the outcome reaches the user
 * only through the library's own message boxes (caption "Tidewell for Palm",
 * owned by the window passed in, topmost when that window is NULL) and shows
 * in what ends up registered with Palm Desktop's Conduit Manager. The codes
 * and messages are listed in doc/integration.md.
 *
 * Plain C, Windows API calling convention, undecorated names; link with
 * twpalm.lib (Visual C++) or libtwpalm.dll.a (mingw-w64), or load the library
 * at run time through the pointer types declared after the functions.
 */
#ifndef TWPALM_H
#define TWPALM_H

#include <windows.h>

/* C++ callers may rely on it: no exception leaves these functions. */
#if defined(__cplusplus) && (__cplusplus >= 201103L || (defined(_MSC_VER) && _MSC_VER >= 1900))
#define TWPALM_NOTHROW noexcept
#else
#define TWPALM_NOTHROW
#endif
/* From C++17 on "no exception" is part of a function's type: the pointer
 * types below carry it there, so they are the types of &Function. */
#if defined(__cplusplus) && (__cplusplus >= 201703L || (defined(_MSVC_LANG) && _MSVC_LANG >= 201703L))
#define TWPALM_NOTHROW_TYPE noexcept
#else
#define TWPALM_NOTHROW_TYPE
#endif

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Registers the Date Book ("date") and To Do List ("todo") conduits from the
 * folder in "Path", saving and replacing any other conduit registered for
 * either creator. Pauses a running HotSync Manager around each change.
 * quiet: non-zero shows nothing at all; zero shows one message box when the
 * registration failed (nothing when it succeeded).
 */
int WINAPI InstallAllConduits(HWND owner, int quiet) TWPALM_NOTHROW;

/*
 * Removes this product's conduits and registers again the conduits that
 * InstallAllConduits saved. A conduit registered by someone else since is
 * left alone. quiet: as for InstallAllConduits.
 */
int WINAPI UninstallAllConduits(HWND owner, int quiet) TWPALM_NOTHROW;

/*
 * Checks that the Date Book conduit is registered from "Path".
 * interactive: non-zero asks the user whether to register a missing conduit
 * (Yes registers it) and shows any error; zero asks and shows nothing and
 * changes nothing.
 */
int WINAPI VerifyConduitDate(HWND owner, int interactive) TWPALM_NOTHROW;

/* The same for the To Do List conduit. */
int WINAPI VerifyConduitTask(HWND owner, int interactive) TWPALM_NOTHROW;

/*
 * The types of the four functions, for a caller that loads twpalm.dll itself
 * (from the folder in "Path") and looks them up by name:
 *   TWPALM_INSTALLALLCONDUITS_PROC install = (TWPALM_INSTALLALLCONDUITS_PROC)
 *       GetProcAddress(library, "InstallAllConduits");
 */
typedef int (WINAPI *TWPALM_INSTALLALLCONDUITS_PROC)(HWND owner, int quiet) TWPALM_NOTHROW_TYPE;
typedef int (WINAPI *TWPALM_UNINSTALLALLCONDUITS_PROC)(HWND owner, int quiet) TWPALM_NOTHROW_TYPE;
typedef int (WINAPI *TWPALM_VERIFYCONDUITDATE_PROC)(HWND owner, int interactive) TWPALM_NOTHROW_TYPE;
typedef int (WINAPI *TWPALM_VERIFYCONDUITTASK_PROC)(HWND owner, int interactive) TWPALM_NOTHROW_TYPE;

#ifdef __cplusplus
}
#endif

#endif /* TWPALM_H */
