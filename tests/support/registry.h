#pragma once

// Reading, writing and comparing registry values exactly as stored, for the
// tests' arrangements and checks. Free of any test framework.

#include <windows.h>

#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace testsupport {

// A registry value exactly as stored: type and bytes, or absent.
struct RawValue {
    bool present = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};
bool operator==(const RawValue& a, const RawValue& b);
inline bool operator!=(const RawValue& a, const RawValue& b) { return !(a == b); }
// The type and the first bytes, non-printable ones as \xNN.
std::string Describe(const RawValue& value);
void PrintTo(const RawValue& value, std::ostream* out);

// REG_SZ holding text and its terminating zero.
RawValue StringValue(const std::string& text);
RawValue DwordValue(DWORD value);
// Any type with exactly these bytes (no terminating zero added).
RawValue BytesValue(DWORD type, const std::string& bytes);

RawValue ReadRawValue(HKEY key, const char* name);
RawValue ReadRawValue(HKEY root, const std::string& path, const char* name);
// Every value of a key by name; empty when the key is missing.
std::map<std::string, RawValue> ReadKeyValues(HKEY root, const std::string& path);
bool KeyExists(HKEY root, const std::string& path);
std::vector<std::string> ValueNames(HKEY key);
std::vector<std::string> SubkeyNames(HKEY key);

// Creates the key when missing; false when the value could not be written.
bool WriteRawValue(HKEY root, const std::string& path, const char* name, const RawValue& value);
// False when the key or the value is missing.
bool DeleteValue(HKEY root, const std::string& path, const char* name);

// Registry trees as stored: their keys and every value, by full path.
struct RegistryTree {
    std::set<std::string> keys;              // "<root name>\<path>"
    std::map<std::string, RawValue> values;  // "<root name>\<path>|<value name>"
};

// Adds root\path and everything below it to tree, its entries named from
// rootName ("HKCU", "HKLM"); a subkey whose path is skipped is left out with
// everything below it. A missing key adds nothing.
void AddTree(HKEY root, const std::string& rootName, const std::string& path, RegistryTree* tree,
             const std::string& skipped = std::string());

// The differences between two trees, one line each; empty when equal.
std::string Differences(const RegistryTree& expected, const RegistryTree& actual);

}  // namespace testsupport
