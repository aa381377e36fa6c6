#pragma once

// The texts twpalm.dll shows, written out here independently of the library:
// a test that reads one of these checks the text a user sees.

#include <map>
#include <string>

namespace installertest {
namespace message {

constexpr char kCmUnknown[] = "Error: Unknown Conduit Manager error!\n";
constexpr char kCmIndexOutOfRange[] = "Error: Conduit Manager, index out of range!\n";
constexpr char kCmUnableToDelete[] = "Error: Conduit Manager, unable to delete conduit!\n";
constexpr char kCmNotInstalled[] = "Error: Conduit Manager, conduit not previously installed!\n";
constexpr char kCmOutOfMemory[] = "Error: Conduit Manager, out of memory!\n";
constexpr char kCmCreatorInUse[] = "Error: Conduit Manager, creator id already in use!\n";
constexpr char kCmRegistryAccess[] = "Error: Conduit Manager, unable to access registry!\n";
constexpr char kCmUnableToCreate[] = "Error: Conduit Manager, unable to create conduit!\n";
constexpr char kCmUnableToSetValue[] = "Error: Conduit Manager, unable to set conduit value!\n";
constexpr char kCmInvalidHandle[] = "Error: Conduit Manager, invalid handle passed!\n";
constexpr char kCmBufferTooSmall[] = "Error: Conduit Manager, buffer too small!\n";
constexpr char kCmValueNotFound[] = "Error: Conduit Manager, value not found!\n";
constexpr char kCmInvalidCreator[] = "Error: Conduit Manager, invalid creator id!\n";
constexpr char kCmInvalidPointer[] = "Error: Conduit Manager, invalid pointer passed!\n";
constexpr char kCmUnableToInstall[] = "Error: Conduit Manager, unable to install conduit!\n";
constexpr char kCmInvalidConduitType[] = "Error: Conduit Manager, invalid conduit type!\n";
constexpr char kCmInvalidComPort[] = "Error: Conduit Manager, invalid COM port type!\n";
constexpr char kCmNoLongerSupported[] = "Error: Conduit Manager, function no longer supported!\n";

constexpr char kCondMgrNotIncluded[] = "Error: CondMgr.dll not included with installer!\n";
constexpr char kInvalidCondMgr[] = "Error: invalid CondMgr.dll!\n";
constexpr char kHsApiNotFound[] = "Error: HSAPI.dll not found!\n";
constexpr char kConduitNotFound[] = "Error: conduit not found!\n";
constexpr char kHotSyncInProgress[] = "Error: HotSync in progress!\n";
constexpr char kUserDataNotFound[] = "Error: UserData.dll not found!\n";
constexpr char kNotRegistered[] = "Error: Reinstall Tidewell for Palm! [1]\n";
constexpr char kNoPalmDesktop[] =
    "Error: You must install the Palm Desktop 3.1 or higher software to synchronize your data with handhelds!\n";
constexpr char kReinstall[] = "Error: Reinstall Tidewell for Palm! [2]\n";

constexpr char kDateQuestion[] =
    "Do you want to synchronize Palm Date Book with Almanor?\n\n"
    "Click Yes to install synchronization module for Palm Date Book.";
constexpr char kTaskQuestion[] =
    "Do you want to synchronize Palm To Do List with Almanor?\n\n"
    "Click Yes to install synchronization module for Palm To Do List.";

}  // namespace message

// The text shown for a code the Conduit Manager (-1000 to -1017) or the
// library (-1201 to -1209) gives; empty for any other code.
inline std::string ResultMessageOf(int code) {
    static const std::map<int, std::string> messages = {
        {-1000, message::kCmUnknown},          {-1001, message::kCmIndexOutOfRange},
        {-1002, message::kCmUnableToDelete},   {-1003, message::kCmNotInstalled},
        {-1004, message::kCmOutOfMemory},      {-1005, message::kCmCreatorInUse},
        {-1006, message::kCmRegistryAccess},   {-1007, message::kCmUnableToCreate},
        {-1008, message::kCmUnableToSetValue}, {-1009, message::kCmInvalidHandle},
        {-1010, message::kCmBufferTooSmall},   {-1011, message::kCmValueNotFound},
        {-1012, message::kCmInvalidCreator},   {-1013, message::kCmInvalidPointer},
        {-1014, message::kCmUnableToInstall},  {-1015, message::kCmInvalidConduitType},
        {-1016, message::kCmInvalidComPort},   {-1017, message::kCmNoLongerSupported},
        {-1201, message::kCondMgrNotIncluded}, {-1202, message::kInvalidCondMgr},
        {-1203, message::kHsApiNotFound},      {-1204, message::kConduitNotFound},
        {-1205, message::kHotSyncInProgress},  {-1206, message::kUserDataNotFound},
        {-1207, message::kNotRegistered},      {-1208, message::kNoPalmDesktop},
        {-1209, message::kReinstall},
    };
    const auto found = messages.find(code);
    return found == messages.end() ? std::string() : found->second;
}

}  // namespace installertest
