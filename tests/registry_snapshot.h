#pragma once

// Every key and value below the product's registry keys, to tell what an
// operation changed. Used by the hardening and keyboard tests.

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace testsupport {

// Entries relative to the snapshot's roots: "HKCU\Orvelle\Users\" for a key,
// "HKCU\Orvelle\Users\|LUN" for a value (mapped to its type and bytes).
using RegistrySnapshot = std::map<std::string, std::string>;

inline void CollectRegistry(HKEY key, const std::string& prefix, RegistrySnapshot* out) {
    for (DWORD index = 0;; ++index) {
        std::vector<char> name(16384);
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD type = 0, size = 0;
        if (RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
            break;
        }
        std::vector<BYTE> data(size + 1);
        DWORD got = size + 1;
        RegQueryValueExA(key, name.data(), nullptr, &type, data.data(), &got);
        (*out)[prefix + "|" + std::string(name.data(), nameLength)] =
            std::to_string(type) + ":" + std::string(reinterpret_cast<const char*>(data.data()), got);
    }
    for (DWORD index = 0;; ++index) {
        char name[512];
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        const std::string child = prefix + name + "\\";
        (*out)[child] = "key";
        HKEY sub = nullptr;
        if (RegOpenKeyExA(key, name, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
            CollectRegistry(sub, child, out);
            RegCloseKey(sub);
        }
    }
}

// HKCU\Software\Quillon Software and HKLM\SOFTWARE\Quillon Software.
inline RegistrySnapshot TakeProductSnapshot() {
    RegistrySnapshot snapshot;
    const struct {
        HKEY root;
        const char* path;
        const char* label;
    } roots[] = {{HKEY_CURRENT_USER, "Software\\Quillon Software", "HKCU\\"},
                 {HKEY_LOCAL_MACHINE, "SOFTWARE\\Quillon Software", "HKLM\\"}};
    for (const auto& root : roots) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root.root, root.path, 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
        CollectRegistry(key, root.label, &snapshot);
        RegCloseKey(key);
    }
    return snapshot;
}

inline std::string Lowered(std::string text) {
    if (!text.empty()) CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// What changed between two snapshots, apart from the entries allowed to
// change (compared ignoring case, as the registry does). Keys that reads
// create are listed by the caller like any other entry.
inline std::vector<std::string> UnexpectedChanges(const RegistrySnapshot& before, const RegistrySnapshot& after,
                                                  const std::vector<std::string>& allowed) {
    std::set<std::string> allowedLowered;
    for (const std::string& entry : allowed) allowedLowered.insert(Lowered(entry));
    const auto isAllowed = [&](const std::string& entry) { return allowedLowered.count(Lowered(entry)) != 0; };
    const auto shortName = [](const std::string& entry) {
        return entry.size() > 160 ? entry.substr(0, 160) + "...(" + std::to_string(entry.size()) + " chars)" : entry;
    };
    std::vector<std::string> changes;
    for (const auto& entry : before) {
        const auto found = after.find(entry.first);
        if (found == after.end()) {
            if (!isAllowed(entry.first)) changes.push_back("removed " + shortName(entry.first));
        } else if (found->second != entry.second && !isAllowed(entry.first)) {
            changes.push_back("changed " + shortName(entry.first));
        }
    }
    for (const auto& entry : after) {
        if (before.count(entry.first) == 0 && !isAllowed(entry.first)) {
            changes.push_back("added " + shortName(entry.first));
        }
    }
    return changes;
}

// The keys below HKCU\...\Orvelle that reading a Palm user's settings leaves
// behind (every profile access creates its section), for the users given.
inline std::vector<std::string> SectionKeys(const std::vector<std::string>& users) {
    std::vector<std::string> keys = {"HKCU\\Orvelle\\", "HKCU\\Orvelle\\Users\\"};
    for (const std::string& user : users) {
        keys.push_back("HKCU\\Orvelle\\Users\\" + user + "\\");
        keys.push_back("HKCU\\Orvelle\\Users\\" + user + "\\DateBook\\");
        keys.push_back("HKCU\\Orvelle\\Users\\" + user + "\\ToDoList\\");
    }
    return keys;
}

}  // namespace testsupport
