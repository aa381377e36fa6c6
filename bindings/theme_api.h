#pragma once

#include <windows.h>

// Run-time binding of the visual-styles library (UxTheme.dll), decided once
// per load of the settings library. Consumers test Enabled() before every
// theme operation and then call through the stored entries.
using ThemeHandle = HANDLE;

namespace theme {

// Every UxTheme export the binding looks up, in table order.
enum Entry : int {
    kGetThemeBitmap, kCloseThemeData, kDrawThemeBackground, kDrawThemeEdge, kDrawThemeIcon,
    kDrawThemeParentBackground, kDrawThemeText, kEnableThemeDialogTexture, kEnableTheming,
    kGetCurrentThemeName, kGetThemeAppProperties, kGetThemeBackgroundContentRect, kGetThemeBackgroundExtent,
    kGetThemeBackgroundRegion, kGetThemeBool, kGetThemeColor, kGetThemeDocumentationProperty,
    kGetThemeEnumValue, kGetThemeFilename, kGetThemeFont, kGetThemeInt, kGetThemeIntList, kGetThemeMargins,
    kGetThemeMetric, kGetThemePartSize, kGetThemePosition, kGetThemePropertyOrigin, kGetThemeRect,
    kGetThemeString, kGetThemeSysBool, kGetThemeSysColor, kGetThemeSysColorBrush, kGetThemeSysFont,
    kGetThemeSysInt, kGetThemeSysSize, kGetThemeSysString, kGetThemeTextExtent, kGetThemeTextMetrics,
    kGetWindowTheme, kHitTestThemeBackground, kIsAppThemed, kIsThemeActive,
    kIsThemeBackgroundPartiallyTransparent, kIsThemeDialogTextureEnabled, kIsThemePartDefined,
    kOpenThemeData, kSetThemeAppProperties, kSetWindowTheme,
    kEntryCount
};

// What the binding asks of the system; tests give their own.
struct BindingInputs {
    // Packed (major << 16) | minor of a system library, 0 when unknown.
    DWORD (*dllVersion)(const char* library);
    HMODULE (*loadLibrary)(const char* name);
};

BindingInputs SystemInputs();

// The version of a system library from its DllGetVersion export, or 0.
DWORD GetDllVersion(const char* library);

}  // namespace theme

// The binding. Its state is class-wide: one global instance binds while the
// settings library loads and releases when it unloads.
class CThemeApi {
public:
    CThemeApi();
    explicit CThemeApi(const theme::BindingInputs& inputs);
    virtual ~CThemeApi();
    CThemeApi(const CThemeApi&) = delete;
    CThemeApi& operator=(const CThemeApi&) = delete;

    static bool Enabled();
    static int BindCount();
    static DWORD CommonControlsVersion();
    static HMODULE Module();
    static void* EntryAddress(int entry);

    // The entries the section label calls; only while Enabled().
    static ThemeHandle OpenThemeData(HWND window, const wchar_t* classes);
    static HRESULT CloseThemeData(ThemeHandle theme);
    static HRESULT DrawThemeParentBackground(HWND window, HDC dc, const RECT* rect);
    static HRESULT DrawThemeText(ThemeHandle theme, HDC dc, int part, int state, const wchar_t* text, int length,
                                 DWORD flags, DWORD flags2, const RECT* rect);

private:
    static void Bind(const theme::BindingInputs& inputs);
};
