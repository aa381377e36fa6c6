/*
 * twpalmui.dll, the settings library of Tidewell for Palm.
 *
 * A host application calls it to let the user edit, per Palm user and per
 * conduit, what the conduits do at HotSync time. Both functions show modal
 * dialogs owned by the window passed in and return when the user closes
 * them; they need twpalm.dll, the help file twpalm.chm and Palm Desktop's
 * User Manager as described in doc/integration.md.
 *
 * Plain C, Windows API calling convention, undecorated names; link with
 * twpalmui.lib (Visual C++) or libtwpalmui.dll.a (mingw-w64), or load the
 * library at run time through the pointer types declared after the functions.
 */
#ifndef TWPALMUI_H
#define TWPALMUI_H

#include <windows.h>

/* C++ callers may rely on it: no exception leaves these functions. */
#if defined(__cplusplus) && (__cplusplus >= 201103L || (defined(_MSC_VER) && _MSC_VER >= 1900))
#define TWPALMUI_NOTHROW noexcept
#else
#define TWPALMUI_NOTHROW
#endif
/* From C++17 on "no exception" is part of a function's type: the pointer
 * types below carry it there, so they are the types of &Function. */
#if defined(__cplusplus) && (__cplusplus >= 201703L || (defined(_MSVC_LANG) && _MSVC_LANG >= 201703L))
#define TWPALMUI_NOTHROW_TYPE noexcept
#else
#define TWPALMUI_NOTHROW_TYPE
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Conduit kinds of DisplayUserSettings. */
#define TWPALMUI_DATE_BOOK 0
#define TWPALMUI_TO_DO_LIST 1

/*
 * Lists the Palm users known to HotSync; from there the user opens a
 * conduit's settings, the Settings Summary, help and the About box.
 * Returns 0 when the list closes.
 */
int WINAPI DisplaySettings(HWND parent) TWPALMUI_NOTHROW;

/*
 * Opens the settings of one conduit (TWPALMUI_DATE_BOOK or
 * TWPALMUI_TO_DO_LIST) for the Palm user userName (ANSI), after checking
 * that the conduit is registered. Returns 0 when the dialog closes; -1 with
 * nothing shown for an unknown conduit kind, a NULL or empty user name, or a
 * name too long for the registry to hold its settings.
 */
int WINAPI DisplayUserSettings(int conduit, const char* userName, HWND parent) TWPALMUI_NOTHROW;

/*
 * The types of the two functions, for a caller that loads twpalmui.dll
 * itself (from the folder in "Path") and looks them up by name:
 *   TWPALMUI_DISPLAYSETTINGS_PROC settings = (TWPALMUI_DISPLAYSETTINGS_PROC)
 *       GetProcAddress(library, "DisplaySettings");
 */
typedef int (WINAPI *TWPALMUI_DISPLAYSETTINGS_PROC)(HWND parent) TWPALMUI_NOTHROW_TYPE;
typedef int (WINAPI *TWPALMUI_DISPLAYUSERSETTINGS_PROC)(int conduit, const char* userName, HWND parent) TWPALMUI_NOTHROW_TYPE;

#ifdef __cplusplus
}
#endif

#endif /* TWPALMUI_H */
