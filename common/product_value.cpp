#include "common/product_value.h"

#include <windows.h>

#include "common/product_strings.h"
#include "common/reg_key.h"
#include "common/windows_version.h"

using product::GetProductString;

std::string ProductInstallKeyPath() {
    std::string path = GetProductString(product::kSoftwareKey);
    path += '\\';
    path += GetProductString(product::kCompanyName);
    path += '\\';
    path += GetProductString(product::kProductKey);
    path += '\\';
    path += GetProductString(product::kInstallKey);
    return path;
}

std::string ReadProductValue(const char* name) {
    const std::string keyPath = ProductInstallKeyPath();
    std::string value = ReadRegString(HKEY_LOCAL_MACHINE, keyPath.c_str(), name);
    if (value.empty() && !IsVistaOrLater()) value = ReadRegString(HKEY_CURRENT_USER, keyPath.c_str(), name);
    return value;
}
