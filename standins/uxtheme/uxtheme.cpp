// UxTheme.dll stand-in (TwUxTheme.dll) for the visual-style tests. It keeps
// its record in the process environment, so a test still reads it after the
// binding has freed the library again:
//
//   TW_UXTHEME_LOG       every call appended as "Name(arg,arg);", and "attach;"
//                        / "detach;" when the library is loaded and freed.
//                        Handles are decimal, texts as the ANSI code page gives them.
//   TW_UXTHEME_ACTIVE    "0": IsThemeActive returns FALSE (otherwise TRUE).
//   TW_UXTHEME_NO_THEME  "1": OpenThemeData returns null, as with the classic look.
//   TW_UXTHEME_VERSION   "major.minor.build": DllGetVersion reports it; when
//                        missing DllGetVersion fails with E_FAIL.
//
// OpenThemeData hands out a new handle on every call; the drawing entries
// draw nothing.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

const char kLog[] = "TW_UXTHEME_LOG";

std::string Variable(const char* name) {
    char value[256] = {};
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

void Log(const std::string& entry) {
    std::string log;
    const DWORD length = GetEnvironmentVariableA(kLog, nullptr, 0);
    if (length > 0) {
        log.resize(length);
        log.resize(GetEnvironmentVariableA(kLog, &log[0], length));
    }
    log += entry + ";";
    SetEnvironmentVariableA(kLog, log.c_str());
}

std::string Number(const void* handle) { return std::to_string(reinterpret_cast<std::uintptr_t>(handle)); }

std::string Narrow(const wchar_t* text) {
    if (!text) return "(null)";
    const int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], length, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(length - 1));
    return narrow;
}

std::string Rect(const RECT* rect) {
    if (!rect) return "(null)";
    return std::to_string(rect->left) + "," + std::to_string(rect->top) + "," + std::to_string(rect->right) + "," +
           std::to_string(rect->bottom);
}

// Handles look like addresses but point nowhere: a caller that dereferences one crashes.
std::uintptr_t g_nextTheme = 0x7E5000;

struct DllVersionInfo {
    DWORD cbSize, dwMajorVersion, dwMinorVersion, dwBuildNumber, dwPlatformID;
};

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) Log("attach");
    if (reason == DLL_PROCESS_DETACH) Log("detach");
    return TRUE;
}

BOOL WINAPI IsThemeActive() {
    Log("IsThemeActive()");
    return Variable("TW_UXTHEME_ACTIVE") == "0" ? FALSE : TRUE;
}

HANDLE WINAPI OpenThemeData(HWND window, const wchar_t* classes) {
    Log("OpenThemeData(" + Number(window) + "," + Narrow(classes) + ")");
    if (Variable("TW_UXTHEME_NO_THEME") == "1") return nullptr;
    g_nextTheme += 0x10;
    return reinterpret_cast<HANDLE>(g_nextTheme);
}

HRESULT WINAPI CloseThemeData(HANDLE theme) {
    Log("CloseThemeData(" + Number(theme) + ")");
    return S_OK;
}

HRESULT WINAPI DrawThemeParentBackground(HWND window, HDC, const RECT* rect) {
    Log("DrawThemeParentBackground(" + Number(window) + "," + Rect(rect) + ")");
    return S_OK;
}

HRESULT WINAPI DrawThemeText(HANDLE theme, HDC, int part, int state, const wchar_t* text, int length, DWORD flags,
                             DWORD flags2, const RECT* rect) {
    Log("DrawThemeText(" + Number(theme) + "," + std::to_string(part) + "," + std::to_string(state) + "," +
        Narrow(text) + "," + std::to_string(length) + "," + std::to_string(flags) + "," + std::to_string(flags2) +
        "," + Rect(rect) + ")");
    return S_OK;
}

HRESULT WINAPI DllGetVersion(DllVersionInfo* info) {
    Log("DllGetVersion(" + std::to_string(info->cbSize) + "," + std::to_string(info->dwMajorVersion) + "," +
        std::to_string(info->dwMinorVersion) + "," + std::to_string(info->dwBuildNumber) + "," +
        std::to_string(info->dwPlatformID) + ")");
    unsigned long major = 0, minor = 0, build = 0;
    if (std::sscanf(Variable("TW_UXTHEME_VERSION").c_str(), "%lu.%lu.%lu", &major, &minor, &build) != 3) return E_FAIL;
    info->dwMajorVersion = major;
    info->dwMinorVersion = minor;
    info->dwBuildNumber = build;
    info->dwPlatformID = 2;
    return S_OK;
}

}  // extern "C"
