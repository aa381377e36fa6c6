#include "bindings/theme_api.h"

namespace {

const char* const kEntryNames[theme::kEntryCount] = {
    "GetThemeBitmap", "CloseThemeData", "DrawThemeBackground", "DrawThemeEdge", "DrawThemeIcon",
    "DrawThemeParentBackground", "DrawThemeText", "EnableThemeDialogTexture", "EnableTheming",
    "GetCurrentThemeName", "GetThemeAppProperties", "GetThemeBackgroundContentRect", "GetThemeBackgroundExtent",
    "GetThemeBackgroundRegion", "GetThemeBool", "GetThemeColor", "GetThemeDocumentationProperty",
    "GetThemeEnumValue", "GetThemeFilename", "GetThemeFont", "GetThemeInt", "GetThemeIntList", "GetThemeMargins",
    "GetThemeMetric", "GetThemePartSize", "GetThemePosition", "GetThemePropertyOrigin", "GetThemeRect",
    "GetThemeString", "GetThemeSysBool", "GetThemeSysColor", "GetThemeSysColorBrush", "GetThemeSysFont",
    "GetThemeSysInt", "GetThemeSysSize", "GetThemeSysString", "GetThemeTextExtent", "GetThemeTextMetrics",
    "GetWindowTheme", "HitTestThemeBackground", "IsAppThemed", "IsThemeActive",
    "IsThemeBackgroundPartiallyTransparent", "IsThemeDialogTextureEnabled", "IsThemePartDefined",
    "OpenThemeData", "SetThemeAppProperties", "SetWindowTheme",
};

// The entries the library calls: without any of them there are no themes.
const int kCalledEntries[] = {theme::kIsThemeActive, theme::kOpenThemeData, theme::kCloseThemeData,
                              theme::kDrawThemeParentBackground, theme::kDrawThemeText};

const DWORD kVersion6 = 0x00060000;

struct DllVersionInfo {
    DWORD cbSize, dwMajorVersion, dwMinorVersion, dwBuildNumber, dwPlatformID;
};
using DllGetVersionFn = HRESULT(CALLBACK*)(DllVersionInfo*);
using IsThemeActiveFn = BOOL(WINAPI*)();
using OpenThemeDataFn = ThemeHandle(WINAPI*)(HWND, const wchar_t*);
using CloseThemeDataFn = HRESULT(WINAPI*)(ThemeHandle);
using DrawThemeParentBackgroundFn = HRESULT(WINAPI*)(HWND, HDC, const RECT*);
using DrawThemeTextFn = HRESULT(WINAPI*)(ThemeHandle, HDC, int, int, const wchar_t*, int, DWORD, DWORD, const RECT*);

void* g_entries[theme::kEntryCount] = {};
int g_bindCount = 0;
DWORD g_commonControlsVersion = 0;
bool g_enabled = false;
HMODULE g_module = nullptr;

template <typename Function>
Function EntryAs(int entry) {
    return reinterpret_cast<Function>(g_entries[entry]);
}

HMODULE LoadSystemLibrary(const char* name) { return LoadLibraryA(name); }

void Unbind() {
    for (void*& entry : g_entries) entry = nullptr;
    if (g_module) FreeLibrary(g_module);
    g_module = nullptr;
}

}  // namespace

namespace theme {

DWORD GetDllVersion(const char* library) {
    HMODULE module = LoadLibraryA(library);
    if (!module) return 0;
    auto getVersion = reinterpret_cast<DllGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetVersion")));
    DWORD version = 0;
    if (getVersion) {
        DllVersionInfo info = {};
        info.cbSize = sizeof info;
        if (getVersion(&info) >= 0) {
            version = ((info.dwMajorVersion & 0xFFFF) << 16) | (info.dwMinorVersion & 0xFFFF);
        }
    }
    FreeLibrary(module);
    return version;
}

BindingInputs SystemInputs() { return BindingInputs{&GetDllVersion, &LoadSystemLibrary}; }

}  // namespace theme

CThemeApi::CThemeApi() { Bind(theme::SystemInputs()); }

CThemeApi::CThemeApi(const theme::BindingInputs& inputs) { Bind(inputs); }

void CThemeApi::Bind(const theme::BindingInputs& inputs) {
    g_enabled = true;
    g_commonControlsVersion = inputs.dllVersion("comctl32.dll");
    if (g_commonControlsVersion < kVersion6) {
        g_enabled = false;
        return;
    }
    const UINT previousMode = SetErrorMode(SEM_NOOPENFILEERRORBOX);
    g_module = inputs.loadLibrary("UxTheme.dll");
    SetErrorMode(previousMode);
    if (!g_module) {
        g_enabled = false;
        return;
    }
    for (int entry = 0; entry < theme::kEntryCount; ++entry) {
        g_entries[entry] = reinterpret_cast<void*>(GetProcAddress(g_module, kEntryNames[entry]));
    }
    bool complete = true;
    for (int entry : kCalledEntries) complete = complete && g_entries[entry] != nullptr;
    if (complete && EntryAs<IsThemeActiveFn>(theme::kIsThemeActive)()) {
        ++g_bindCount;
        return;
    }
    g_enabled = false;
    FreeLibrary(g_module);
    g_module = nullptr;
}

CThemeApi::~CThemeApi() {
    if (!g_enabled) return;
    if (--g_bindCount == 0) Unbind();
    g_enabled = false;
}

bool CThemeApi::Enabled() { return g_enabled; }
int CThemeApi::BindCount() { return g_bindCount; }
DWORD CThemeApi::CommonControlsVersion() { return g_commonControlsVersion; }
HMODULE CThemeApi::Module() { return g_module; }
void* CThemeApi::EntryAddress(int entry) {
    return entry >= 0 && entry < theme::kEntryCount ? g_entries[entry] : nullptr;
}

ThemeHandle CThemeApi::OpenThemeData(HWND window, const wchar_t* classes) {
    return EntryAs<OpenThemeDataFn>(theme::kOpenThemeData)(window, classes);
}

HRESULT CThemeApi::CloseThemeData(ThemeHandle theme) {
    return EntryAs<CloseThemeDataFn>(theme::kCloseThemeData)(theme);
}

HRESULT CThemeApi::DrawThemeParentBackground(HWND window, HDC dc, const RECT* rect) {
    return EntryAs<DrawThemeParentBackgroundFn>(theme::kDrawThemeParentBackground)(window, dc, rect);
}

HRESULT CThemeApi::DrawThemeText(ThemeHandle theme, HDC dc, int part, int state, const wchar_t* text, int length,
                                 DWORD flags, DWORD flags2, const RECT* rect) {
    return EntryAs<DrawThemeTextFn>(theme::kDrawThemeText)(theme, dc, part, state, text, length, flags, flags2, rect);
}
