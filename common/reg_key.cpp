#include "common/reg_key.h"

RegKey& RegKey::operator=(RegKey&& other) noexcept {
    if (this != &other) {
        Close();
        key_ = other.Release();
    }
    return *this;
}

RegKey RegKey::Open(HKEY root, const char* path, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, access, &key) != ERROR_SUCCESS) return RegKey();
    return RegKey(key);
}

RegKey RegKey::Create(HKEY root, const char* path, REGSAM access) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return RegKey();
    }
    return RegKey(key);
}

HKEY RegKey::Release() {
    HKEY key = key_;
    key_ = nullptr;
    return key;
}

void RegKey::Close() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
}

bool RegKey::ReadBytes(const char* name, std::vector<BYTE>* data, DWORD* type) const {
    if (!key_) return false;
    // The value may grow between the size query and the read: ask again.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        DWORD valueType = 0;
        if (RegQueryValueExA(key_, name, nullptr, &valueType, nullptr, &size) != ERROR_SUCCESS) {
            return false;
        }
        data->assign(size + 1, 0);
        DWORD got = size + 1;
        LONG rc = RegQueryValueExA(key_, name, nullptr, &valueType, data->data(), &got);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) return false;
        data->resize(got);
        if (type) *type = valueType;
        return true;
    }
    return false;
}

bool RegKey::ReadString(const char* name, std::string* text) const {
    std::vector<BYTE> data;
    if (!ReadBytes(name, &data)) return false;
    size_t length = 0;
    while (length < data.size() && data[length] != 0) ++length;
    text->assign(reinterpret_cast<const char*>(data.data()), length);
    return true;
}

bool RegKey::WriteString(const char* name, const std::string& text) const {
    return key_ && RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                  static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool RegKey::WriteDword(const char* name, DWORD value) const {
    return key_ && RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                  sizeof value) == ERROR_SUCCESS;
}

bool DeleteKeyTree(HKEY root, const char* path) {
    {
        RegKey key = RegKey::Open(root, path, KEY_READ | KEY_WRITE);
        if (!key) return false;
        char name[256];
        for (;;) {
            DWORD length = sizeof name;
            if (RegEnumKeyExA(key.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS) {
                break;
            }
            if (!DeleteKeyTree(key.get(), name)) return false;
        }
    }
    return RegDeleteKeyA(root, path) == ERROR_SUCCESS;
}

std::string ReadRegString(HKEY root, const char* path, const char* name, const char* def) {
    std::string text;
    RegKey key = RegKey::Open(root, path, KEY_READ);
    if (!key.ReadString(name, &text)) return def ? def : "";
    return text;
}
