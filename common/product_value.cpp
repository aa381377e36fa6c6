#include "common/product_value.h"

#include <windows.h>

#include "common/reg_key.h"
#include "common/registry_names.h"
#include "common/windows_version.h"

std::string CompanyKeyPath(const char* application, const char* section) {
    std::string path = regnames::kSoftwareKey;
    for (const char* part : {regnames::kCompanyKey, application, section}) {
        path += '\\';
        path += part;
    }
    return path;
}

std::string ProductInstallKeyPath() { return CompanyKeyPath(regnames::kProductKey, regnames::kInstallKey); }

std::string ReadInstallValue(const std::string& keyPath, const char* name) {
    std::string value = ReadRegString(HKEY_LOCAL_MACHINE, keyPath.c_str(), name);
    if (value.empty() && !IsVistaOrLater()) value = ReadRegString(HKEY_CURRENT_USER, keyPath.c_str(), name);
    return value;
}

std::string ReadProductValue(const char* name) { return ReadInstallValue(ProductInstallKeyPath(), name); }
