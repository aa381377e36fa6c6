#include "report/summary_report.h"

#include <cstring>

#include "common/format_text.h"
#include "common/path.h"
#include "common/product_value.h"
#include "common/reg_key.h"
#include "common/registry_names.h"
#include "common/text.h"
#include "common/unique_handle.h"
#include "common/windows_version.h"
#include "report/file_version_info.h"
#include "report/file_writer.h"
#include "report/registry_export.h"
#include "report/report_printer.h"
#include "settings/almanor_paths.h"

namespace {

const char kFallbackTempFolder[] = "c:\\temp\\";

// Found by bare name, in the library search order; Almanor and HotSync
// come between the two lists.
const char* const kOwnModules[] = {"TWPALM.EXE", "TWPALM.DLL", "TWPALMUI.DLL", "TWDATE.DLL", "TWTASK.DLL"};
const char* const kSystemModules[] = {"MFC42.DLL", "MSVCRT.DLL", "MSVCIRT.DLL", "MSVCP60.DLL", "MAPI32.DLL"};
const char kHotSyncProgram[] = "HOTSYNC.EXE";

// Each version string is fetched into this many bytes: at most 253 characters.
const int kValueSize = 255;

std::string TemporaryFolder() {
    char folder[MAX_PATH] = {};
    const DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0) return kFallbackTempFolder;
    if (length < MAX_PATH) return std::string(folder, length);
    // Longer than the buffer: the result is the size it needs. Such a path
    // can still name a file where long paths are allowed.
    std::string longer(static_cast<size_t>(length) + 1, '\0');
    const DWORD again = GetTempPathA(length + 1, &longer[0]);
    if (again == 0 || again > length) return kFallbackTempFolder;
    longer.resize(again);
    return longer;
}

std::string SummaryFilePath() {
    char fileName[32];
    FormatText(fileName, sizeof fileName, "summary-%lX.txt", static_cast<unsigned long>(GetCurrentThreadId()));
    return path::Join(TemporaryFolder(), fileName);
}

// HotSync Manager in the Palm Desktop folder of the last registration; by
// bare name, in the library search order, when none is recorded.
std::string HotSyncProgramPath() {
    const std::string palmDesktop = ReadProductValue(regnames::kPalmDesktopPathValue);
    return palmDesktop.empty() ? kHotSyncProgram : path::Join(palmDesktop, kHotSyncProgram);
}

// "System Information", "Operation System" and the Windows line, which ends
// without a line break.
void WriteSystemInfo(ReportPrinter& out) {
    out.Print("System Information\r\n");
    out.Print("  Operation System\r\n");
    out.Print("    Microsoft ");
    OSVERSIONINFOA version;
    if (!QueryWindowsVersion(&version)) {
        out.Print("GetVersionEx failed!!");
        return;
    }
    char productType[kProductTypeSize];
    const bool haveType = version.dwPlatformId == VER_PLATFORM_WIN32_NT && ReadProductType(productType);
    out.Print("%s", DescribeWindowsVersion(version, haveType ? productType : nullptr).c_str());
}

// The version block of one module: a bare file name or a full path.
void WriteModuleInfo(ReportPrinter& out, const std::string& name) {
    CFileVersionInfo info(name.c_str());
    out.Print("  %s:\r\n", text::FileNamePart(name).c_str());
    if (!info.Read()) {
        out.Print("    No version info available\r\n");
        return;
    }
    char value[kValueSize];
    info.GetCompanyName(value, sizeof value);
    out.Print("    Company:            %s\r\n", value);
    info.GetProductName(value, sizeof value);
    out.Print("    Product Name:       %s\r\n", value);
    info.GetFileDescription(value, sizeof value);
    out.Print("    Description:        %s\r\n", value);
    WORD parts[4];
    info.GetFileVersion(parts);
    out.Print("    Version:            %d.%d.%d.%d\r\n", parts[0], parts[1], parts[2], parts[3]);
    info.GetProductVersion(parts);
    out.Print("    Product Version:    %d.%d.%d.%d\r\n", parts[0], parts[1], parts[2], parts[3]);
}

void WriteModules(ReportPrinter& out) {
    for (const char* module : kOwnModules) WriteModuleInfo(out, module);
    WriteModuleInfo(out, GetAlmanorProgramPath());
    WriteModuleInfo(out, HotSyncProgramPath());
    for (const char* module : kSystemModules) WriteModuleInfo(out, module);
}

// The whole summary; false when a registry section could not even begin.
bool WriteContent(FileWriter& file, const std::string& path) {
    ReportPrinter out(file);
    WriteSystemInfo(out);
    out.Print("\r\n");
    WriteModules(out);
    out.Print("\r\n");
    // The exports write straight to the file: what waits must go first.
    out.Flush();
    for (const char* key : {regnames::kProductUserKey, regnames::kPalmDesktopCoreKey}) {
        if (ExportRegistryKey(HKEY_CURRENT_USER, key, file) == ExportResult::kNoHeader) return false;
    }
    out.Print("\r\n");
    // The path is an argument, never the format: it may hold a percent sign.
    out.Print("Saved summary file to %s", path.c_str());
    out.Flush();
    return true;
}

}  // namespace

std::string CSummaryReport::Save() {
    const std::string path = SummaryFilePath();
    const FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                      FILE_FLAG_WRITE_THROUGH, nullptr));
    if (!file) return std::string();
    FileWriter writer(file.get());
    return WriteContent(writer, path) ? path : std::string();
}

bool ReadProductType(char (&productType)[kProductTypeSize]) {
    std::memset(productType, 0, sizeof productType);
    const RegKey key = RegKey::Open(HKEY_LOCAL_MACHINE, regnames::kProductOptionsKey, KEY_QUERY_VALUE);
    if (!key) return false;
    DWORD size = sizeof productType;
    if (RegQueryValueExA(key.get(), regnames::kProductTypeValue, nullptr, nullptr, reinterpret_cast<BYTE*>(productType), &size) !=
            ERROR_SUCCESS ||
        size >= sizeof productType) {
        return false;
    }
    // Stored without a terminator, the text still ends here.
    productType[size] = '\0';
    return true;
}

std::string DescribeWindowsVersion(const OSVERSIONINFOA& version, const char* productType) {
    // The service-pack text may fill its array without a terminator.
    const std::string servicePack = text::FromBuffer(version.szCSDVersion, sizeof version.szCSDVersion);
    const char servicePackLetter = servicePack.size() > 1 ? servicePack[1] : '\0';
    const DWORD major = version.dwMajorVersion;
    const DWORD minor = version.dwMinorVersion;
    std::string description;
    switch (version.dwPlatformId) {
    case VER_PLATFORM_WIN32_WINDOWS:
        if (major != 4) break;
        if (minor == 0) {
            description = "Windows 95 ";
            if (servicePackLetter == 'C' || servicePackLetter == 'B') description += "OSR2 ";
        } else if (minor == 10) {
            description = "Windows 98 ";
            if (servicePackLetter == 'A') description += "SE ";
        } else if (minor == 90) {
            description = "Windows ME";
        }
        break;
    case VER_PLATFORM_WIN32_NT: {
        if (major == 5 && minor == 2) {
            description = "Windows Server 2003 family, ";
        } else if (major == 5 && minor == 1) {
            description = "Windows XP ";
        } else if (major == 5 && minor == 0) {
            description = "Windows 2000 ";
        } else if (major <= 4) {
            description = "Windows NT ";
        }
        if (productType) {
            if (text::EqualsIgnoreCase(productType, "WINNT")) description += "Workstation";
            if (text::EqualsIgnoreCase(productType, "LANMANNT")) description += "Server";
            if (text::EqualsIgnoreCase(productType, "SERVERNT")) description += "Advanced Server";
        }
        char numbers[64];
        FormatText(numbers, sizeof numbers, " %lu.%lu ", static_cast<unsigned long>(major),
                      static_cast<unsigned long>(minor));
        description += numbers;
        if (!servicePack.empty()) description += servicePack + " ";
        FormatText(numbers, sizeof numbers, "(Build %u)", static_cast<unsigned>(LOWORD(version.dwBuildNumber)));
        description += numbers;
        break;
    }
    default:
        description = "????";
        break;
    }
    return description;
}
