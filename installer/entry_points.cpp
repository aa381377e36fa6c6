#include "installer/entry_points.h"

#include <string>

#include "common/palm_api.h"
#include "common/product_value.h"
#include "common/registry_names.h"
#include "installer/conduit_operations.h"
#include "installer/hotsync_directory.h"
#include "installer/owner_report.h"
#include "installer/result_codes.h"

namespace {

using ConduitOperation = int (*)(const ConduitDefinition&, const std::string&);

// Files of the product folder are named in MAX_PATH buffers: a "Path" that
// leaves no room for the longest name joined to it cannot name the folder,
// and a conduit registered from it could never be recognised again.
constexpr size_t kMaxProductPathLength = MAX_PATH - 1 - sizeof(palm::kCondMgrDll);

bool UsableProductPath(const std::string& path) {
    return !path.empty() && path.size() <= kMaxProductPathLength;
}

// Both conduits, the Date Book first; the second runs whatever the first gave.
// The To Do List's failure is reported, else the Date Book's, so a failed
// Date Book is never passed off as success.
void RunForBothConduits(ConduitOperation operation, HWND owner, int quiet) {
    SetOwnerWindow(owner);
    const std::string path = ReadProductValue(regnames::kPathValue);
    if (!UsableProductPath(path)) {
        ReportResult(quiet, kReinstall);
        return;
    }
    const int dateBook = operation(kDateBookConduit, path);
    const int toDoList = operation(kToDoListConduit, path);
    ReportResult(quiet, toDoList != kSuccess ? toDoList : dateBook);
}

const char* InstallQuestion(const ConduitDefinition& conduit) {
    if (&conduit == &kToDoListConduit) {
        return "Do you want to synchronize Palm To Do List with Almanor?\n\n"
               "Click Yes to install synchronization module for Palm To Do List.";
    }
    return "Do you want to synchronize Palm Date Book with Almanor?\n\n"
           "Click Yes to install synchronization module for Palm Date Book.";
}

}  // namespace

void InstallBothConduits(HWND owner, int quiet) { RunForBothConduits(InstallConduit, owner, quiet); }

void UninstallBothConduits(HWND owner, int quiet) { RunForBothConduits(UninstallConduit, owner, quiet); }

void VerifyConduit(const ConduitDefinition& conduit, HWND owner, int interactive) {
    SetOwnerWindow(owner);
    const std::string path = ReadProductValue(regnames::kPathValue);
    const std::string palmDesktopPath = ReadProductValue(regnames::kPalmDesktopPathValue);
    int code = kReinstall;
    if (UsableProductPath(path) && !palmDesktopPath.empty()) {
        code = CheckHotSyncPath(palmDesktopPath);
        if (code == kSuccess) code = CheckRegistration(conduit, path);
    }
    if (code == kNotRegistered) {
        code = kSuccess;
        if (interactive && AskYesNo(InstallQuestion(conduit))) code = InstallConduit(conduit, path);
    }
    ReportResult(!interactive, code);
}
