#include "bench/product.h"

#include "bench/output.h"
#include "common/path.h"
#include "common/reg_key.h"
#include "common/registry_names.h"
#include "tests/support/test_paths.h"

namespace bench {

namespace {

std::string InstallKeyPath() {
    return std::string(regnames::kSoftwareKey) + "\\" + regnames::kCompanyKey + "\\" + regnames::kProductKey + "\\" +
           regnames::kInstallKey;
}

}  // namespace

std::string ProductPath(const char* name) { return path::Join(testsupport::BinDir(), name); }

HMODULE LoadProduct(const char* name) {
    const std::string path = ProductPath(name);
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) Fail("cannot load %s (error %lu)", path.c_str(), GetLastError());
    return module;
}

FARPROC ExportAddress(HMODULE module, const char* name) {
    FARPROC function = GetProcAddress(module, name);
    if (!function) Fail("no export %s", name);
    return function;
}

std::vector<std::string> HostLibraries() { return {"comdlg32.dll", "shell32.dll", "version.dll", "comctl32.dll"}; }

std::string UsersKeyPath() { return std::string(regnames::kProductUserKey) + "\\" + regnames::kUsersSection; }

std::string BenchUserKeyPath() { return UsersKeyPath() + "\\" + kBenchUser; }

std::string PalmDesktopPath() {
    return ReadRegString(HKEY_LOCAL_MACHINE, InstallKeyPath().c_str(), regnames::kPalmDesktopPathValue);
}

bool SetPalmDesktopPath(const std::string& path) {
    const RegKey key = RegKey::Open(HKEY_LOCAL_MACHINE, InstallKeyPath().c_str(), KEY_WRITE);
    return key && key.WriteString(regnames::kPalmDesktopPathValue, path);
}

}  // namespace bench
