#include "installer/result_codes.h"

#include <windows.h>


namespace {

struct CodeMessage {
    int code;
    const char* text;
};

const CodeMessage kMessages[] = {
    {-1000, "Error: Unknown Conduit Manager error!\n"},
    {-1001, "Error: Conduit Manager, index out of range!\n"},
    {-1002, "Error: Conduit Manager, unable to delete conduit!\n"},
    {-1003, "Error: Conduit Manager, conduit not previously installed!\n"},
    {-1004, "Error: Conduit Manager, out of memory!\n"},
    {-1005, "Error: Conduit Manager, creator id already in use!\n"},
    {-1006, "Error: Conduit Manager, unable to access registry!\n"},
    {-1007, "Error: Conduit Manager, unable to create conduit!\n"},
    {-1008, "Error: Conduit Manager, unable to set conduit value!\n"},
    {-1009, "Error: Conduit Manager, invalid handle passed!\n"},
    {-1010, "Error: Conduit Manager, buffer too small!\n"},
    {-1011, "Error: Conduit Manager, value not found!\n"},
    {-1012, "Error: Conduit Manager, invalid creator id!\n"},
    {-1013, "Error: Conduit Manager, invalid pointer passed!\n"},
    {-1014, "Error: Conduit Manager, unable to install conduit!\n"},
    {-1015, "Error: Conduit Manager, invalid conduit type!\n"},
    {-1016, "Error: Conduit Manager, invalid COM port type!\n"},
    {-1017, "Error: Conduit Manager, function no longer supported!\n"},
    {kCondMgrNotIncluded, "Error: CondMgr.dll not included with installer!\n"},
    {kCondMgrInvalid, "Error: invalid CondMgr.dll!\n"},
    {kHsApiNotFound, "Error: HSAPI.dll not found!\n"},
    {kConduitNotFound, "Error: conduit not found!\n"},
    {kHotSyncInProgress, "Error: HotSync in progress!\n"},
    {kUserDataNotFound, "Error: UserData.dll not found!\n"},
    {kNotRegistered, "Error: Reinstall Tidewell for Palm! [1]\n"},
    {kNoPalmDesktop,
     "Error: You must install the Palm Desktop 3.1 or higher software to synchronize your data with "
     "handhelds!\n"},
    {kReinstall, "Error: Reinstall Tidewell for Palm! [2]\n"},
};

}  // namespace

ResultText ResultMessage(int code) noexcept {
    ResultText result = {};
    for (const CodeMessage& entry : kMessages) {
        if (entry.code == code) {
            lstrcpynA(result.text, entry.text, sizeof result.text);
            return result;
        }
    }
    // "0x%08x" is "%#010x" for every code but 0, which is success; user32's
    // formatter keeps the C runtime's printf out of the library.
    wsprintfA(result.text, "Unknown error occurred: 0x%08x ( %d )\n", static_cast<unsigned>(code), code);
    return result;
}
