#pragma once

#include <string>

#include "installer/conduit_definitions.h"

// The per-conduit operations behind the exports. Each loads the Palm
// libraries it needs afresh and releases them on every path out; each
// returns 0 or a result code. There is no rollback.

// Makes this product's conduit the registered one, saving a foreign one first.
int InstallConduit(const ConduitDefinition& conduit, const std::string& productPath);
// Removes this product's conduit and registers the saved one again.
int UninstallConduit(const ConduitDefinition& conduit, const std::string& productPath);
// 0 when exactly productPath\<library> is registered, else ERR_NOT_REGISTERED.
int CheckRegistration(const ConduitDefinition& conduit, const std::string& productPath);

// The steps the three above are made of.
int BackupRegistration(const ConduitDefinition& conduit, const std::string& productPath);
// With onlyOwn, a creator holding no conduit or another's is left alone:
// kCmConduitNotInstalled, and *leftAlone (when given) becomes true, which
// tells this refusal apart from the same code coming from the Conduit Manager.
int RemoveRegistration(const ConduitDefinition& conduit, const std::string& productPath, bool onlyOwn,
                       bool* leftAlone = nullptr);
int RestoreRegistration(const ConduitDefinition& conduit, const std::string& productPath);
int RegisterConduit(const ConduitDefinition& conduit, const std::string& productPath,
                    const ConduitRecord& record);
