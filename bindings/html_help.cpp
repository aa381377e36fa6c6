#include "bindings/html_help.h"

#include <string>

#include "common/reg_key.h"

namespace {

using HtmlHelpFn = HWND(WINAPI*)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);

const char kHtmlHelpServerKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
const WORD kHtmlHelpOrdinal = 14;

// The engine stays loaded until the process ends: never freed.
HMODULE g_helpModule = nullptr;
bool g_helpFailed = false;
HtmlHelpFn g_htmlHelpEntry = nullptr;

HMODULE LoadHelpEngine() {
    HMODULE engine = nullptr;
    RegKey server = RegKey::Open(HKEY_CLASSES_ROOT, kHtmlHelpServerKey, KEY_READ);
    std::string path;
    if (server.ReadString(nullptr, &path) && !path.empty() && path.size() < MAX_PATH) {
        engine = LoadLibraryA(path.c_str());
    }
    if (!engine) engine = LoadLibraryA("hhctrl.ocx");
    return engine;
}

}  // namespace

INT_PTR CallHtmlHelp(HWND caller, const char* helpFile, UINT command, DWORD_PTR data) {
    if (!g_helpModule && !g_helpFailed) {
        g_helpModule = LoadHelpEngine();
        if (!g_helpModule) {
            g_helpFailed = true;
            return 0;
        }
    }
    if (g_helpFailed && !g_helpModule) return 0;
    if (!g_htmlHelpEntry) {
        g_htmlHelpEntry = reinterpret_cast<HtmlHelpFn>(
            reinterpret_cast<void*>(GetProcAddress(g_helpModule, MAKEINTRESOURCEA(kHtmlHelpOrdinal))));
        if (!g_htmlHelpEntry) {
            g_helpFailed = true;
            return 0;
        }
    }
    return reinterpret_cast<INT_PTR>(g_htmlHelpEntry(caller, helpFile, command, data));
}
