#include "installer/conduit_definitions.h"

#include <cstring>

#include "common/path.h"
#include "common/registry_names.h"
#include "common/text.h"

const ConduitDefinition kDateBookConduit = {
    "date", "twdate.dll", regnames::kDateBookSection, "datebook", "DatebookDB", 2,
    "Synchronization Module for Almanor", 0, "Almanor Dates",
};

const ConduitDefinition kToDoListConduit = {
    "todo", "twtask.dll", regnames::kToDoListSection, "todo", "ToDoDB", 2,
    "Synchronization Module for Almanor", 0, "Almanor Tasks",
};

const ConduitDefinition* FindConduitDefinition(const char* creator) {
    if (!creator) return nullptr;
    if (std::strcmp(creator, kDateBookConduit.creator) == 0) return &kDateBookConduit;
    if (std::strcmp(creator, kToDoListConduit.creator) == 0) return &kToDoListConduit;
    return nullptr;
}

std::string OwnLibraryPath(const ConduitDefinition& conduit, const std::string& productPath) {
    return path::Join(productPath, conduit.libraryFile);
}

ConduitRecord OwnConduitRecord(const ConduitDefinition& conduit, const std::string& productPath) {
    ConduitRecord record;
    record.library = OwnLibraryPath(conduit, productPath);
    record.directory = conduit.directory;
    record.remote = conduit.remoteDatabase;
    record.priority = conduit.priority;
    record.information = conduit.information;
    record.integrate = conduit.integrate;
    record.title = conduit.title;
    return record;
}

bool IsOwnConduit(const ConduitDefinition& conduit, const std::string& registeredLibrary) {
    return text::EqualsIgnoreCase(text::FileNamePart(registeredLibrary), conduit.libraryFile);
}
