#include "common/profile.h"

#include <cstring>
#include <utility>
#include <vector>

#include "common/registry_names.h"

namespace {
const REGSAM kSectionAccess = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;
}

Profile::Profile(std::string company, std::string product)
    : company_(std::move(company)), product_(std::move(product)) {}

std::string Profile::RootPath() const {
    return std::string(regnames::kUserSoftwareKey) + "\\" + company_ + "\\" + product_;
}

RegKey Profile::OpenSection(const char* section) const {
    RegKey software = RegKey::Open(HKEY_CURRENT_USER, regnames::kUserSoftwareKey, kSectionAccess);
    if (!software) return RegKey();
    RegKey company = RegKey::Create(software.get(), company_.c_str(), kSectionAccess);
    if (!company) return RegKey();
    RegKey product = RegKey::Create(company.get(), product_.c_str(), kSectionAccess);
    if (!product || !section || !*section) return product;
    return RegKey::Create(product.get(), section, kSectionAccess);
}

DWORD Profile::GetInt(const char* section, const char* name, DWORD def) const {
    std::vector<BYTE> data;
    if (!OpenSection(section).ReadBytes(name, &data) || data.empty()) return def;
    // The first four bytes, whatever the registry type; shorter data is zero-extended.
    DWORD value = 0;
    std::memcpy(&value, data.data(), data.size() < sizeof value ? data.size() : sizeof value);
    return value;
}

std::string Profile::GetString(const char* section, const char* name, const std::string& def) const {
    std::string text;
    if (!OpenSection(section).ReadString(name, &text)) return def;
    return text;
}

bool Profile::WriteInt(const char* section, const char* name, DWORD value) const {
    return OpenSection(section).WriteDword(name, value);
}

bool Profile::WriteString(const char* section, const char* name, const std::string& value) const {
    return OpenSection(section).WriteString(name, value);
}

bool Profile::DeleteSection(const char* section) const {
    if (!section || !*section) return false;
    return DeleteKeyTree(HKEY_CURRENT_USER, (RootPath() + "\\" + section).c_str());
}
