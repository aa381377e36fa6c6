#include "tests/support/registry.h"

#include <cstdio>

#include "common/reg_key.h"

namespace testsupport {

bool operator==(const RawValue& a, const RawValue& b) {
    return a.present == b.present && (!a.present || (a.type == b.type && a.data == b.data));
}

std::string Describe(const RawValue& value) {
    constexpr size_t kShown = 48;
    if (!value.present) return "(absent)";
    std::string text = "type " + std::to_string(value.type) + ", " + std::to_string(value.data.size()) + " bytes \"";
    for (size_t i = 0; i < value.data.size() && i < kShown; ++i) {
        const BYTE b = value.data[i];
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02x", b);
        text += b >= 0x20 && b < 0x7F ? std::string(1, static_cast<char>(b)) : hex;
    }
    return text + (value.data.size() > kShown ? "...\"" : "\"");
}

void PrintTo(const RawValue& value, std::ostream* out) { *out << Describe(value); }

RawValue BytesValue(DWORD type, const std::string& bytes) {
    RawValue value;
    value.present = true;
    value.type = type;
    value.data.assign(bytes.begin(), bytes.end());
    return value;
}

RawValue StringValue(const std::string& text) { return BytesValue(REG_SZ, std::string(text.c_str(), text.size() + 1)); }

RawValue DwordValue(DWORD number) {
    return BytesValue(REG_DWORD, std::string(reinterpret_cast<const char*>(&number), sizeof number));
}

RawValue ReadRawValue(HKEY key, const char* name) {
    RawValue value;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS) return RawValue();
    value.data.resize(size);
    if (RegQueryValueExA(key, name, nullptr, &value.type, value.data.data(), &size) != ERROR_SUCCESS) {
        return RawValue();
    }
    value.data.resize(size);
    value.present = true;
    return value;
}

RawValue ReadRawValue(HKEY root, const std::string& path, const char* name) {
    const RegKey key = RegKey::Open(root, path.c_str());
    return key ? ReadRawValue(key.get(), name) : RawValue();
}

std::vector<std::string> ValueNames(HKEY key) {
    std::vector<std::string> names;
    for (DWORD index = 0;; ++index) {
        std::vector<char> name(16384);
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumValueA(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name.data(), length);
    }
    return names;
}

std::vector<std::string> SubkeyNames(HKEY key) {
    std::vector<std::string> names;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

std::map<std::string, RawValue> ReadKeyValues(HKEY root, const std::string& path) {
    std::map<std::string, RawValue> values;
    const RegKey key = RegKey::Open(root, path.c_str());
    if (!key) return values;
    for (const std::string& name : ValueNames(key.get())) values[name] = ReadRawValue(key.get(), name.c_str());
    return values;
}

bool KeyExists(HKEY root, const std::string& path) { return static_cast<bool>(RegKey::Open(root, path.c_str())); }

bool WriteRawValue(HKEY root, const std::string& path, const char* name, const RawValue& value) {
    const RegKey key = RegKey::Create(root, path.c_str());
    return key && RegSetValueExA(key.get(), name, 0, value.type, value.data.data(),
                                 static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

bool DeleteValue(HKEY root, const std::string& path, const char* name) {
    const RegKey key = RegKey::Open(root, path.c_str(), KEY_SET_VALUE);
    return key && RegDeleteValueA(key.get(), name) == ERROR_SUCCESS;
}

void AddTree(HKEY root, const std::string& rootName, const std::string& path, RegistryTree* tree,
             const std::string& skipped) {
    const RegKey key = RegKey::Open(root, path.c_str());
    if (!key) return;
    const std::string keyName = rootName + "\\" + path;
    tree->keys.insert(keyName);
    for (const std::string& name : ValueNames(key.get())) {
        tree->values[keyName + "|" + name] = ReadRawValue(key.get(), name.c_str());
    }
    for (const std::string& sub : SubkeyNames(key.get())) {
        const std::string subPath = path + "\\" + sub;
        if (subPath != skipped) AddTree(root, rootName, subPath, tree, skipped);
    }
}

std::string Differences(const RegistryTree& expected, const RegistryTree& actual) {
    std::string out;
    for (const std::string& key : expected.keys) {
        if (!actual.keys.count(key)) out += "key missing: " + key + "\n";
    }
    for (const std::string& key : actual.keys) {
        if (!expected.keys.count(key)) out += "key added: " + key + "\n";
    }
    std::set<std::string> names;
    for (const auto& entry : expected.values) names.insert(entry.first);
    for (const auto& entry : actual.values) names.insert(entry.first);
    for (const std::string& name : names) {
        const auto want = expected.values.find(name);
        const auto got = actual.values.find(name);
        const RawValue wanted = want == expected.values.end() ? RawValue() : want->second;
        const RawValue found = got == actual.values.end() ? RawValue() : got->second;
        if (wanted != found) out += name + ": expected " + Describe(wanted) + ", got " + Describe(found) + "\n";
    }
    return out;
}

}  // namespace testsupport
