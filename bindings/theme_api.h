#pragma once

#include <windows.h>

#include "common/module.h"

using ThemeHandle = HANDLE;

namespace theme {

// What the binding asks of the system; tests give their own.
struct BindingInputs {
    // Packed (major << 16) | minor of a system library, 0 when unknown.
    DWORD (*dllVersion)(const char* library);
    Module (*loadLibrary)(const char* name);
};

BindingInputs SystemInputs();

// The version of a system library from its DllGetVersion export, or 0.
DWORD GetDllVersion(const char* library);

}  // namespace theme

// Run-time binding of the visual-styles library (UxTheme.dll), decided once
// when constructed: themes are on with common controls 6.0 or later, a
// UxTheme.dll exporting every entry called here, and an active theme.
// Consumers test Enabled() before every theme operation.
class ThemeApi {
public:
    ThemeApi();
    explicit ThemeApi(const theme::BindingInputs& inputs);
    ThemeApi(const ThemeApi&) = delete;
    ThemeApi& operator=(const ThemeApi&) = delete;

    bool Enabled() const { return static_cast<bool>(uxTheme_); }
    DWORD CommonControlsVersion() const { return commonControlsVersion_; }
    // The bound UxTheme.dll; null while themes are off.
    HMODULE module() const { return uxTheme_.get(); }

    // Only while Enabled().
    ThemeHandle OpenThemeData(HWND window, const wchar_t* classes) const;
    HRESULT CloseThemeData(ThemeHandle theme) const;
    HRESULT DrawThemeParentBackground(HWND window, HDC dc, const RECT* rect) const;
    HRESULT DrawThemeText(ThemeHandle theme, HDC dc, int part, int state, const wchar_t* text, int length,
                          DWORD flags, DWORD flags2, const RECT* rect) const;

private:
    using IsThemeActiveFn = BOOL(WINAPI*)();
    using OpenThemeDataFn = ThemeHandle(WINAPI*)(HWND, const wchar_t*);
    using CloseThemeDataFn = HRESULT(WINAPI*)(ThemeHandle);
    using DrawThemeParentBackgroundFn = HRESULT(WINAPI*)(HWND, HDC, const RECT*);
    using DrawThemeTextFn = HRESULT(WINAPI*)(ThemeHandle, HDC, int, int, const wchar_t*, int, DWORD, DWORD,
                                             const RECT*);
    struct Functions {
        IsThemeActiveFn isThemeActive;
        OpenThemeDataFn openThemeData;
        CloseThemeDataFn closeThemeData;
        DrawThemeParentBackgroundFn drawThemeParentBackground;
        DrawThemeTextFn drawThemeText;
    };

    void Bind(const theme::BindingInputs& inputs);
    static Functions FindFunctions(const Module& library);

    DWORD commonControlsVersion_ = 0;
    Module uxTheme_;
    Functions fn_ = {};
};

// The binding of the running program, owned by its application object;
// section labels draw with it unless given another.
const ThemeApi& ApplicationThemes();
