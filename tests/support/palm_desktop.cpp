#include "tests/support/palm_desktop.h"

#include "common/path.h"
#include "common/reg_key.h"
#include "common/registry_names.h"
#include "standins/standin_state.h"
#include "tests/support/registry.h"
#include "tests/support/test_paths.h"

namespace testsupport {

namespace {

RegKey StateKey(const std::string& sub) {
    return RegKey::Create(HKEY_CURRENT_USER, standin::StatePath(sub).c_str());
}

std::string DwordText(DWORD value) { return std::to_string(value); }

}  // namespace

void PalmDesktop::InstallTo(const std::string& folder) {
    for (const char* file : {"HotSync.exe", "CondMgr.dll", "HsApi.dll", "UserData.dll"}) {
        CopyFileTo(path::Join(StandInDir(), file), folder);
    }
    SetHotSyncPath(path::Join(folder, "HotSync.exe"));
}

void PalmDesktop::PutVariant(const std::string& variant, const std::string& dllName, const std::string& folder) {
    CopyFileTo(path::Join(StandInDir(variant), dllName), folder);
}

void PalmDesktop::SetHotSyncPath(const std::string& path) {
    RegKey::Create(HKEY_CURRENT_USER, regnames::kPalmDesktopCoreKey).WriteString(regnames::kHotSyncPathValue, path);
}

void PalmDesktop::SetHotSync(bool running, bool syncing) {
    RegKey key = StateKey("HotSync");
    key.WriteDword("Running", running ? 1 : 0);
    key.WriteDword("Syncing", syncing ? 1 : 0);
}

void PalmDesktop::SetCloseAfterChecks(DWORD checks) { StateKey("HotSync").WriteDword("CloseAfterChecks", checks); }

void PalmDesktop::SetStartAfterChecks(DWORD checks) { StateKey("HotSync").WriteDword("StartAfterChecks", checks); }

bool PalmDesktop::Running() const {
    return ReadRawValue(HKEY_CURRENT_USER, standin::StatePath("HotSync"), "Running") == DwordValue(1);
}

void PalmDesktop::Fail(const std::string& function, int code) {
    StateKey("Failures").WriteDword(function.c_str(), static_cast<DWORD>(code));
}

void PalmDesktop::Fail(const std::string& function, int code, DWORD calls) {
    Fail(function, code);
    StateKey("FailureCounts").WriteDword(function.c_str(), calls);
}

void PalmDesktop::RegisterConduit(const std::string& creator, const StandInConduit& conduit) {
    RegKey key = StateKey("Conduits\\" + creator);
    for (const auto& entry : conduit.strings) key.WriteString(entry.first.c_str(), entry.second);
    for (const auto& entry : conduit.numbers) key.WriteDword(entry.first.c_str(), entry.second);
}

bool PalmDesktop::HasConduit(const std::string& creator) const {
    return KeyExists(HKEY_CURRENT_USER, standin::StatePath("Conduits\\" + creator));
}

StandInConduit PalmDesktop::Conduit(const std::string& creator) const {
    StandInConduit conduit;
    for (const auto& entry : ReadKeyValues(HKEY_CURRENT_USER, standin::StatePath("Conduits\\" + creator))) {
        const RawValue& value = entry.second;
        if (value.type == REG_DWORD && value.data.size() == sizeof(DWORD)) {
            conduit.numbers[entry.first] = *reinterpret_cast<const DWORD*>(value.data.data());
        } else {
            const std::string bytes(value.data.begin(), value.data.end());
            conduit.strings[entry.first] = bytes.substr(0, bytes.find('\0'));
        }
    }
    return conduit;
}

void PalmDesktop::AddUser(DWORD id, const std::string& name, bool profile, bool nameFails, int idResult) {
    DWORD count = 0;
    RegKey users = StateKey("Users");
    RegQueryInfoKeyA(users.get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr);
    RegKey user = StateKey("Users\\" + DwordText(count));
    user.WriteDword("ID", id);
    user.WriteString("Name", name);
    user.WriteDword("Profile", profile ? 1 : 0);
    user.WriteDword("NameFails", nameFails ? 1 : 0);
    user.WriteDword("IdResult", static_cast<DWORD>(idResult));
}

std::vector<std::string> PalmDesktop::CallLog() const {
    std::vector<std::string> calls;
    RegKey key = RegKey::Open(HKEY_CURRENT_USER, standin::StatePath("CallLog").c_str());
    for (DWORD index = 1;; ++index) {
        char name[16];
        wsprintfA(name, "%06lu", index);
        std::string call;
        if (!key.ReadString(name, &call)) break;
        calls.push_back(call);
    }
    return calls;
}

void PalmDesktop::ClearCallLog() { DeleteKeyTree(HKEY_CURRENT_USER, standin::StatePath("CallLog").c_str()); }

int PalmDesktop::CountCalls(const std::string& prefix) const {
    int count = 0;
    for (const std::string& call : CallLog()) count += call.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
    return count;
}

}  // namespace testsupport
