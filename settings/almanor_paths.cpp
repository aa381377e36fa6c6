#include "settings/almanor_paths.h"

#include <windows.h>
#include <shlobj.h>

#include "bindings/shell_folders.h"
#include "common/path.h"
#include "common/product_strings.h"
#include "common/product_value.h"
#include "common/reg_key.h"
#include "common/text.h"
#include "common/registry_names.h"
#include "common/windows_version.h"
#include "settings/file_checks.h"

namespace {

const char kProgramFile[] = "almanor.exe";

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string ReadAlmanorPath() { return ReadAlmanorInstallValue(regnames::kPathValue); }

}  // namespace

std::string ReadAlmanorInstallValue(const char* name) {
    const std::string key = CompanyKeyPath(regnames::kCalendarKey, regnames::kInstallKey);
    if (lstrcmpA(name, regnames::kPathValue) != 0) return ReadRegString(HKEY_LOCAL_MACHINE, key.c_str(), name);
    return Trim(ReadInstallValue(key, name));
}

std::string GetAlmanorProgramPath() {
    const std::string folder = ReadAlmanorPath();
    return folder.empty() ? "" : path::Join(folder, kProgramFile);
}

namespace {

// The per-user application data folder's "Quillon Software\Almanor", made
// when missing; empty when Windows has no such folder.
std::string MakeAppDataFolder() {
    char appData[MAX_PATH] = {};
    if (!GetSpecialFolder(nullptr, appData, CSIDL_APPDATA, true)) return "";
    std::string folder = path::Join(appData, regnames::kCompanyKey);
    CreateDirectoryA(folder.c_str(), nullptr);
    folder = path::Join(folder, regnames::kCalendarKey);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

std::string FindAlmanorDataDir() {
    std::string dataDir = ReadRegString(HKEY_CURRENT_USER,
                                        CompanyKeyPath(regnames::kCalendarKey, regnames::kCommonKey).c_str(),
                                        regnames::kDataDirValue);
    text::DropTrailingBackslash(&dataDir);
    if (!dataDir.empty() && DirectoryExists(dataDir)) return dataDir;

    if (IsVistaOrLater()) {
        const std::string folder = MakeAppDataFolder();
        return folder.empty() ? dataDir : folder;
    }
    const std::string program = ReadAlmanorPath();
    if (program.empty()) return "";
    const std::string data = path::Join(program, product::GetProductString(product::kDataFolder));
    if (!DirectoryExists(data)) CreateDirectoryA(data.c_str(), nullptr);
    return data;
}

}  // namespace

std::string GetAlmanorDataDir() {
    // The open-file dialog copies its initial folder into MAX_PATH buffers
    // (Wine's crashes on a longer one): such a folder is none.
    const std::string folder = FindAlmanorDataDir();
    return FitsMaxPath(folder) ? folder : std::string();
}
