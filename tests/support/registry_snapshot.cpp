#include "tests/support/registry_snapshot.h"

#include <set>

#include "common/reg_key.h"
#include "tests/support/registry.h"

namespace testsupport {

void CollectRegistry(HKEY key, const std::string& prefix, RegistrySnapshot* out) {
    for (const std::string& name : ValueNames(key)) {
        const RawValue value = ReadRawValue(key, name.c_str());
        (*out)[prefix + "|" + name] =
            std::to_string(value.type) + ":" + std::string(value.data.begin(), value.data.end());
    }
    for (const std::string& name : SubkeyNames(key)) {
        const std::string child = prefix + name + "\\";
        (*out)[child] = "key";
        const RegKey sub = RegKey::Open(key, name.c_str());
        if (sub) CollectRegistry(sub.get(), child, out);
    }
}

RegistrySnapshot TakeProductSnapshot() {
    RegistrySnapshot snapshot;
    const struct {
        HKEY root;
        const char* path;
        const char* label;
    } roots[] = {{HKEY_CURRENT_USER, "Software\\Quillon Software", "HKCU\\"},
                 {HKEY_LOCAL_MACHINE, "SOFTWARE\\Quillon Software", "HKLM\\"}};
    for (const auto& root : roots) {
        const RegKey key = RegKey::Open(root.root, root.path);
        if (key) CollectRegistry(key.get(), root.label, &snapshot);
    }
    return snapshot;
}

std::string Lowered(std::string text) {
    if (!text.empty()) CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

std::vector<std::string> UnexpectedChanges(const RegistrySnapshot& before, const RegistrySnapshot& after,
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

std::vector<std::string> SectionKeys(const std::vector<std::string>& users) {
    std::vector<std::string> keys = {"HKCU\\Orvelle\\", "HKCU\\Orvelle\\Users\\"};
    for (const std::string& user : users) {
        keys.push_back("HKCU\\Orvelle\\Users\\" + user + "\\");
        keys.push_back("HKCU\\Orvelle\\Users\\" + user + "\\DateBook\\");
        keys.push_back("HKCU\\Orvelle\\Users\\" + user + "\\ToDoList\\");
    }
    return keys;
}

}  // namespace testsupport
