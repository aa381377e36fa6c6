#pragma once

#include <cstddef>
#include <iterator>
#include <string>

#include "common/registry_names.h"
#include "installer/conduit_definitions.h"

// One field of a Conduit Manager registration: the value that keeps it in a
// backup, the CondMgr exports that read and write it, and the record member
// holding it. Exactly one of text and number is set.
struct ConduitField {
    const char* backupValue;
    const char* queryFunction;
    const char* setFunction;
    std::string ConduitRecord::*text;
    int ConduitRecord::*number;
};

// Every field in the order the Conduit Manager stores them, which is also
// the order a backup is read in.
inline constexpr ConduitField kConduitFields[] = {
    {regnames::kBackupConduitValue, "CmGetCreatorName", "CmSetCreatorName", &ConduitRecord::library, nullptr},
    {regnames::kBackupModuleValue, "CmGetCreatorModule", "CmSetCreatorModule", &ConduitRecord::module, nullptr},
    {regnames::kBackupDirectoryValue, "CmGetCreatorDirectory", "CmSetCreatorDirectory", &ConduitRecord::directory,
     nullptr},
    {regnames::kBackupFileValue, "CmGetCreatorFile", "CmSetCreatorFile", &ConduitRecord::file, nullptr},
    {regnames::kBackupRemoteValue, "CmGetCreatorRemote", "CmSetCreatorRemote", &ConduitRecord::remote, nullptr},
    {regnames::kBackupPriorityValue, "CmGetCreatorPriority", "CmSetCreatorPriority", nullptr,
     &ConduitRecord::priority},
    {regnames::kBackupInformationValue, "CmGetCreatorInfo", "CmSetCreatorInfo", &ConduitRecord::information,
     nullptr},
    {regnames::kBackupIntegrateValue, "CmGetCreatorIntegrate", "CmSetCreatorIntegrate", nullptr,
     &ConduitRecord::integrate},
    {regnames::kBackupUserValue, "CmGetCreatorUser", "CmSetCreatorUser", &ConduitRecord::user, nullptr},
    {regnames::kBackupTitleValue, "CmGetCreatorTitle", "CmSetCreatorTitle", &ConduitRecord::title, nullptr},
    {regnames::kBackupArgumentsValue, "CmGetCreatorArgument", "CmSetCreatorArgument", &ConduitRecord::arguments,
     nullptr},
};

constexpr size_t kConduitFieldCount = std::size(kConduitFields);

// The library's name tells whether, and whose, a conduit is registered: it
// is read on its own before anything else.
constexpr size_t kLibraryField = 0;
static_assert(kConduitFields[kLibraryField].text == &ConduitRecord::library, "the library comes first");
