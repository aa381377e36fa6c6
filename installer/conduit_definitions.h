#pragma once

#include <string>

// What this product registers for each creator ID.
struct ConduitDefinition {
    const char* creator;      // "date" / "todo"
    const char* libraryFile;  // in the product folder
    const char* backupKey;    // below the per-user "Backup" section
    const char* directory;
    const char* remoteDatabase;
    int priority;
    const char* information;
    int integrate;
    const char* title;
};

extern const ConduitDefinition kDateBookConduit;
extern const ConduitDefinition kToDoListConduit;

// The definition of a creator ID, or null.
const ConduitDefinition* FindConduitDefinition(const char* creator);

// One creator's registration; installer/conduit_fields.h says how each field
// is read, stored and saved. An empty string is not set; the two integers
// always are.
struct ConduitRecord {
    std::string library;
    std::string module;
    std::string directory;
    std::string file;
    std::string remote;
    int priority = 0;
    std::string information;
    int integrate = 0;
    std::string user;
    std::string title;
    std::string arguments;
};

// This product's record for the definition, its library in productPath.
ConduitRecord OwnConduitRecord(const ConduitDefinition& conduit, const std::string& productPath);

// productPath\<library file>: where this product's conduit library lives.
std::string OwnLibraryPath(const ConduitDefinition& conduit, const std::string& productPath);

// A registered conduit library is ours when its file name matches, whatever
// its folder.
bool IsOwnConduit(const ConduitDefinition& conduit, const std::string& registeredLibrary);
