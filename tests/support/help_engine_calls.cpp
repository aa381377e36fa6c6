#include "tests/support/help_engine_calls.h"

#include "common/reg_key.h"
#include "tests/support/test_paths.h"

namespace testsupport {

const char kHelpServerKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

namespace {

const char kEngineCallsRoot[] = "Software\\Help Engine Stand-in";

std::string EngineCallsPath() { return std::string(kEngineCallsRoot) + "\\" + std::to_string(GetCurrentProcessId()); }

ULONGLONG ReadQword(const RegKey& key, const char* name) {
    std::vector<BYTE> bytes;
    DWORD type = 0;
    if (!key.ReadBytes(name, &bytes, &type) || type != REG_QWORD || bytes.size() != 8) return 0xDEADBEEF;
    return *reinterpret_cast<const ULONGLONG*>(bytes.data());
}

}  // namespace

std::vector<HelpCall> EngineCalls() {
    std::vector<HelpCall> calls;
    RegKey root = RegKey::Open(HKEY_CURRENT_USER, EngineCallsPath().c_str());
    for (int n = 1; root; ++n) {
        RegKey call = RegKey::Open(root.get(), std::to_string(n).c_str());
        if (!call) break;
        HelpCall seen;
        call.ReadString("Engine", &seen.engine);
        seen.caller = ReadQword(call, "Caller");
        call.ReadString("File", &seen.file);
        std::vector<BYTE> bytes;
        DWORD type = 0;
        if (call.ReadBytes("Command", &bytes, &type) && type == REG_DWORD && bytes.size() == 4) {
            seen.command = *reinterpret_cast<const DWORD*>(bytes.data());
        }
        seen.data = ReadQword(call, "Data");
        calls.push_back(seen);
    }
    return calls;
}

void ForgetEngineCalls() {
    DeleteKeyTree(HKEY_CURRENT_USER, EngineCallsPath().c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, kEngineCallsRoot);  // fails while another process's calls are left
}

std::string PlaceHelpEngine(const std::string& variant, const std::string& folder, const std::string& name) {
    const std::string from = StandInDir(variant) + "\\HelpEngine.dll";
    const std::string to = folder + "\\" + name;
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) return "<not copied: " + from + ">";
    return to;
}

}  // namespace testsupport
