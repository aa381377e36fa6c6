#include "bindings/theme_api.h"

#include <utility>

namespace {

const DWORD kVersion6 = 0x00060000;

struct DllVersionInfo {
    DWORD cbSize, dwMajorVersion, dwMinorVersion, dwBuildNumber, dwPlatformID;
};
using DllGetVersionFn = HRESULT(CALLBACK*)(DllVersionInfo*);

Module LoadSystemLibrary(const char* name) { return Module::Load(name); }

}  // namespace

namespace theme {

DWORD GetDllVersion(const char* library) {
    const Module module = Module::Load(library);
    auto getVersion = module.Find<DllGetVersionFn>("DllGetVersion");
    if (!getVersion) return 0;
    DllVersionInfo info = {};
    info.cbSize = sizeof info;
    if (getVersion(&info) < 0) return 0;
    return ((info.dwMajorVersion & 0xFFFF) << 16) | (info.dwMinorVersion & 0xFFFF);
}

BindingInputs SystemInputs() { return BindingInputs{&GetDllVersion, &LoadSystemLibrary}; }

}  // namespace theme

ThemeApi::ThemeApi() { Bind(theme::SystemInputs()); }

ThemeApi::ThemeApi(const theme::BindingInputs& inputs) { Bind(inputs); }

ThemeApi::Functions ThemeApi::FindFunctions(const Module& library) {
    Functions fn;
    fn.isThemeActive = library.Find<IsThemeActiveFn>("IsThemeActive");
    fn.openThemeData = library.Find<OpenThemeDataFn>("OpenThemeData");
    fn.closeThemeData = library.Find<CloseThemeDataFn>("CloseThemeData");
    fn.drawThemeParentBackground = library.Find<DrawThemeParentBackgroundFn>("DrawThemeParentBackground");
    fn.drawThemeText = library.Find<DrawThemeTextFn>("DrawThemeText");
    return fn;
}

void ThemeApi::Bind(const theme::BindingInputs& inputs) {
    commonControlsVersion_ = inputs.dllVersion("comctl32.dll");
    // Older common controls draw no themed controls: leave UxTheme alone.
    if (commonControlsVersion_ < kVersion6) return;
    const UINT previousMode = SetErrorMode(SEM_NOOPENFILEERRORBOX);
    Module library = inputs.loadLibrary("UxTheme.dll");
    SetErrorMode(previousMode);
    const Functions fn = FindFunctions(library);
    // A library lacking an entry called here is never called at all.
    const bool complete = fn.isThemeActive && fn.openThemeData && fn.closeThemeData &&
                          fn.drawThemeParentBackground && fn.drawThemeText;
    if (!complete || !fn.isThemeActive()) return;
    uxTheme_ = std::move(library);
    fn_ = fn;
}

ThemeHandle ThemeApi::OpenThemeData(HWND window, const wchar_t* classes) const {
    return fn_.openThemeData(window, classes);
}

HRESULT ThemeApi::CloseThemeData(ThemeHandle theme) const { return fn_.closeThemeData(theme); }

HRESULT ThemeApi::DrawThemeParentBackground(HWND window, HDC dc, const RECT* rect) const {
    return fn_.drawThemeParentBackground(window, dc, rect);
}

HRESULT ThemeApi::DrawThemeText(ThemeHandle theme, HDC dc, int part, int state, const wchar_t* text, int length,
                                DWORD flags, DWORD flags2, const RECT* rect) const {
    return fn_.drawThemeText(theme, dc, part, state, text, length, flags, flags2, rect);
}
