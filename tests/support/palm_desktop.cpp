#include "tests/support/palm_desktop.h"

#include "common/reg_key.h"
#include "standins/standin_state.h"
#include "tests/support/test_paths.h"

namespace testsupport {

namespace {

const char kCoreKey[] = "Software\\U.S. Robotics\\Pilot Desktop\\Core";

RegKey StateKey(const std::string& sub) {
    return RegKey::Create(HKEY_CURRENT_USER, standin::StatePath(sub).c_str());
}

std::string DwordText(DWORD value) { return std::to_string(value); }

}  // namespace

void PalmDesktop::InstallTo(const std::string& folder) {
    for (const char* file : {"HotSync.exe", "CondMgr.dll", "HsApi.dll", "UserData.dll"}) {
        CopyFileTo(StandInDir() + "\\" + file, folder);
    }
    SetHotSyncPath(folder + "\\HotSync.exe");
}

void PalmDesktop::PutVariant(const std::string& variant, const std::string& dllName, const std::string& folder) {
    CopyFileTo(StandInDir(variant) + "\\" + dllName, folder);
}

void PalmDesktop::SetHotSyncPath(const std::string& path) {
    RegKey::Create(HKEY_CURRENT_USER, kCoreKey).WriteString("HotSyncPath", path);
}

void PalmDesktop::SetHotSync(bool running, bool syncing) {
    RegKey key = StateKey("HotSync");
    key.WriteDword("Running", running ? 1 : 0);
    key.WriteDword("Syncing", syncing ? 1 : 0);
}

void PalmDesktop::SetCloseAfterChecks(DWORD checks) { StateKey("HotSync").WriteDword("CloseAfterChecks", checks); }

void PalmDesktop::SetStartAfterChecks(DWORD checks) { StateKey("HotSync").WriteDword("StartAfterChecks", checks); }

bool PalmDesktop::Running() const {
    std::vector<BYTE> data;
    RegKey key = RegKey::Open(HKEY_CURRENT_USER, standin::StatePath("HotSync").c_str());
    return key.ReadBytes("Running", &data) && data.size() == 4 && data[0] == 1;
}

void PalmDesktop::Fail(const std::string& function, int code) {
    StateKey("Failures").WriteDword(function.c_str(), static_cast<DWORD>(code));
}

void PalmDesktop::RegisterConduit(const std::string& creator, const StandInConduit& conduit) {
    RegKey key = StateKey("Conduits\\" + creator);
    for (const auto& entry : conduit.strings) key.WriteString(entry.first.c_str(), entry.second);
    for (const auto& entry : conduit.numbers) key.WriteDword(entry.first.c_str(), entry.second);
}

bool PalmDesktop::HasConduit(const std::string& creator) const {
    return static_cast<bool>(RegKey::Open(HKEY_CURRENT_USER, standin::StatePath("Conduits\\" + creator).c_str()));
}

StandInConduit PalmDesktop::Conduit(const std::string& creator) const {
    StandInConduit conduit;
    RegKey key = RegKey::Open(HKEY_CURRENT_USER, standin::StatePath("Conduits\\" + creator).c_str());
    if (!key) return conduit;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameLength = sizeof name, type = 0;
        if (RegEnumValueA(key.get(), index, name, &nameLength, nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        std::vector<BYTE> data;
        key.ReadBytes(name, &data);
        if (type == REG_DWORD && data.size() == 4) {
            conduit.numbers[name] = *reinterpret_cast<const DWORD*>(data.data());
        } else {
            std::string text;
            key.ReadString(name, &text);
            conduit.strings[name] = text;
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
