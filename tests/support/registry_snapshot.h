#pragma once

// Every key and value below the product's registry keys, to tell what an
// operation changed. Used by the hardening and keyboard tests.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace testsupport {

// Entries relative to the snapshot's roots: "HKCU\Orvelle\Users\" for a key,
// "HKCU\Orvelle\Users\|LUN" for a value (mapped to its type and bytes).
using RegistrySnapshot = std::map<std::string, std::string>;

// Adds every value and subkey below key to out, named from prefix.
void CollectRegistry(HKEY key, const std::string& prefix, RegistrySnapshot* out);

// HKCU\Software\Quillon Software and HKLM\SOFTWARE\Quillon Software.
RegistrySnapshot TakeProductSnapshot();

std::string Lowered(std::string text);

// What changed between two snapshots, apart from the entries allowed to
// change (compared ignoring case, as the registry does). Keys that reads
// create are listed by the caller like any other entry.
std::vector<std::string> UnexpectedChanges(const RegistrySnapshot& before, const RegistrySnapshot& after,
                                           const std::vector<std::string>& allowed);

// The keys below HKCU\...\Orvelle that reading a Palm user's settings leaves
// behind (every profile access creates its section), for the users given.
std::vector<std::string> SectionKeys(const std::vector<std::string>& users);

}  // namespace testsupport
