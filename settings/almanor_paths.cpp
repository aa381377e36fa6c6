#include "settings/almanor_paths.h"

#include <windows.h>
#include <shlobj.h>

#include "bindings/shell_folders.h"
#include "common/product_strings.h"
#include "common/reg_key.h"
#include "common/windows_version.h"
#include "settings/file_checks.h"

using product::GetProductString;

namespace {

std::string CalendarKeyPath(const char* sub) {
    return std::string(GetProductString(product::kSoftwareKey)) + "\\" + GetProductString(product::kCompanyName) +
           "\\" + GetProductString(product::kCalendarKey) + "\\" + sub;
}

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

void DropTrailingBackslash(std::string* path) {
    if (!path->empty() && path->back() == '\\') path->pop_back();
}

std::string Append(const std::string& folder, const char* name) {
    if (folder.empty() || folder.back() == '\\') return folder + name;
    return folder + "\\" + name;
}

// The open-file dialog copies its initial folder into MAX_PATH buffers
// (Wine's crashes on a longer one): such a folder is none.
bool FitsMaxPath(const std::string& path) { return path.size() < MAX_PATH; }

}  // namespace

std::string ReadAlmanorInstallValue(const char* name) {
    const std::string key = CalendarKeyPath(GetProductString(product::kInstallKey));
    std::string value = ReadRegString(HKEY_LOCAL_MACHINE, key.c_str(), name);
    if (lstrcmpA(name, GetProductString(product::kPathValue)) != 0) return value;
    if (value.empty() && !IsVistaOrLater()) value = ReadRegString(HKEY_CURRENT_USER, key.c_str(), name);
    return Trim(value);
}

std::string GetAlmanorProgramPath() {
    const std::string folder = ReadAlmanorInstallValue(GetProductString(product::kPathValue));
    return folder.empty() ? "" : folder + "\\almanor.exe";
}

namespace {

std::string FindAlmanorDataDir() {
    std::string dataDir = ReadRegString(HKEY_CURRENT_USER, CalendarKeyPath(GetProductString(product::kCommonKey)).c_str(),
                                        GetProductString(product::kDataDirValue));
    DropTrailingBackslash(&dataDir);
    if (!dataDir.empty() && DirectoryExists(dataDir)) return dataDir;

    if (IsVistaOrLater()) {
        char appData[MAX_PATH] = {};
        if (!GetSpecialFolder(nullptr, appData, CSIDL_APPDATA, true)) return dataDir;
        std::string folder = Append(appData, GetProductString(product::kCompanyName));
        CreateDirectoryA(folder.c_str(), nullptr);
        folder = Append(folder, GetProductString(product::kCalendarKey));
        CreateDirectoryA(folder.c_str(), nullptr);
        DropTrailingBackslash(&folder);
        return folder;
    }
    const std::string program = ReadAlmanorInstallValue(GetProductString(product::kPathValue));
    if (program.empty()) return "";
    const std::string data = Append(program, GetProductString(product::kDataFolder));
    if (!DirectoryExists(data)) CreateDirectoryA(data.c_str(), nullptr);
    return data;
}

}  // namespace

std::string GetAlmanorDataDir() {
    const std::string folder = FindAlmanorDataDir();
    return FitsMaxPath(folder) ? folder : std::string();
}
