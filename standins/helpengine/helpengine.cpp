// Stand-in for the HTML Help engine (hhctrl.ocx): HtmlHelpA, ordinal 14,
// records each call in the registry and shows nothing.
//
// HKCU\Software\Help Engine Stand-in\<process id>
//   Calls        REG_DWORD  number of calls so far
//   <n>          one key per call, n = 1, 2, ...:
//     Engine     REG_SZ     full path of the stand-in that took the call
//     Caller     REG_QWORD  the calling window
//     File       REG_SZ     the help file path; absent when the pointer is null
//     Command    REG_DWORD
//     Data       REG_QWORD
//
// The key is the calling process's own, so tests running side by side in one
// prefix never see each other's calls.
#include <windows.h>

#include <string>

#include "common/reg_key.h"

namespace {

HMODULE g_self = nullptr;

std::string ProcessKeyPath() {
    return "Software\\Help Engine Stand-in\\" + std::to_string(GetCurrentProcessId());
}

void WriteQword(const RegKey& key, const char* name, ULONGLONG value) {
    RegSetValueExA(key.get(), name, 0, REG_QWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

DWORD ReadCount(const RegKey& key) {
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegQueryValueExA(key.get(), "Calls", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD) {
        return 0;
    }
    return value;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_self = instance;
    return TRUE;
}

extern "C" HWND WINAPI HtmlHelpA(HWND caller, LPCSTR file, UINT command, DWORD_PTR data) {
    const RegKey root = RegKey::Create(HKEY_CURRENT_USER, ProcessKeyPath().c_str());
    const DWORD number = ReadCount(root) + 1;
    root.WriteDword("Calls", number);
    const RegKey call = RegKey::Create(root.get(), std::to_string(number).c_str());
    char engine[MAX_PATH] = {};
    GetModuleFileNameA(g_self, engine, MAX_PATH);
    call.WriteString("Engine", engine);
    WriteQword(call, "Caller", reinterpret_cast<ULONG_PTR>(caller));
    if (file) call.WriteString("File", file);
    call.WriteDword("Command", command);
    WriteQword(call, "Data", data);
    return nullptr;
}
