#pragma once

#include <string>

#include "installer/conduit_definitions.h"

// The per-conduit operations behind the exports. Each loads the Palm
// libraries it needs afresh and releases them on every path out; each
// returns 0 or a result code.

// Makes this product's conduit the registered one, saving a foreign one first.
// What a registration needs is checked before anything changes; when it
// fails after the conduit it replaces was removed, that conduit is
// registered again.
int InstallConduit(const ConduitDefinition& conduit, const std::string& productPath);
// Removes this product's conduit and registers the saved one again.
int UninstallConduit(const ConduitDefinition& conduit, const std::string& productPath);
// 0 when exactly productPath\<library> is registered, else kNotRegistered.
int CheckRegistration(const ConduitDefinition& conduit, const std::string& productPath);

// The steps the three above are made of.

// Saves a foreign registration; found receives the registration read whole
// (ours too), or an empty library when there is none or it could not be read.
int BackupRegistration(const ConduitDefinition& conduit, const std::string& productPath, ConduitRecord* found);

// Which registration a removal may take away.
enum class RemovalScope { kAnyConduit, kOnlyOurs };

// What a removal did: removed the creator's conduit, left a creator holding
// none or another's alone (kOnlyOurs), or failed with code.
struct RemovalResult {
    enum Kind { kRemoved, kNotOurs, kFailed } kind;
    int code;  // kFailed: the result code

    static RemovalResult Removed() { return {kRemoved, 0}; }
    static RemovalResult NotOurs() { return {kNotOurs, 0}; }
    static RemovalResult Failed(int code) { return {kFailed, code}; }
};
RemovalResult RemoveRegistration(const ConduitDefinition& conduit, const std::string& productPath,
                                 RemovalScope scope);

int RestoreRegistration(const ConduitDefinition& conduit, const std::string& productPath);
int RegisterConduit(const ConduitDefinition& conduit, const std::string& productPath,
                    const ConduitRecord& record);
