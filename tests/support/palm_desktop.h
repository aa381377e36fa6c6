#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace testsupport {

// One creator's registration in the stand-in Conduit Manager.
struct StandInConduit {
    std::map<std::string, std::string> strings;  // Name, Module, Directory, File, Remote, Info, User, Title, Arguments
    std::map<std::string, DWORD> numbers;        // Priority, Integrate, Type
};

// Arranges and inspects the stand-in Palm Desktop, whose state is in the registry.
class PalmDesktop {
public:
    // Copies the stand-ins into folder (HotSync.exe, CondMgr.dll, HsApi.dll,
    // UserData.dll) and records folder\HotSync.exe as the user's HotSync path.
    void InstallTo(const std::string& folder);
    // Copies one DLL of a variant folder ("condmgr-without-...") into folder.
    void PutVariant(const std::string& variant, const std::string& dllName, const std::string& folder);

    void SetHotSyncPath(const std::string& path);
    void SetHotSync(bool running, bool syncing = false);
    // Status checks that still find the manager in its old state after a
    // close / start request; kNever: it never changes.
    void SetCloseAfterChecks(DWORD checks);
    void SetStartAfterChecks(DWORD checks);
    static constexpr DWORD kNever = 0xFFFFFFFF;
    bool Running() const;

    // The function returns code instead of acting: always, or for its next
    // calls only.
    void Fail(const std::string& function, int code);
    void Fail(const std::string& function, int code, DWORD calls);

    void RegisterConduit(const std::string& creator, const StandInConduit& conduit);
    bool HasConduit(const std::string& creator) const;
    StandInConduit Conduit(const std::string& creator) const;

    void AddUser(DWORD id, const std::string& name, bool profile = false, bool nameFails = false,
                 int idResult = 0);

    std::vector<std::string> CallLog() const;
    void ClearCallLog();
    // Calls in the log whose text starts with prefix.
    int CountCalls(const std::string& prefix) const;
};

}  // namespace testsupport
