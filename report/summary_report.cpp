#include "report/summary_report.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "common/product_strings.h"
#include "common/product_value.h"
#include "common/reg_key.h"
#include "common/text.h"
#include "report/file_version_info.h"
#include "report/registry_export.h"
#include "settings/almanor_paths.h"

// A flush happens once more than kFlushThreshold characters wait, so the
// room left is always enough for one full Print.
static_assert(CSummaryReport::kBufferSize - CSummaryReport::kFlushThreshold >= CSummaryReport::kMaxPrint,
              "one Print must always fit after the flush threshold");

namespace {

const char kFallbackTempFolder[] = "c:\\temp\\";
const char kProductKey[] = "Software\\Quillon Software\\Orvelle";
const char kPalmDesktopCoreKey[] = "Software\\U.S. Robotics\\Pilot Desktop\\Core";
const char kProductOptionsKey[] = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";

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

}  // namespace

CSummaryReport::~CSummaryReport() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

const char* CSummaryReport::Save() {
    char fileName[32];
    std::snprintf(fileName, sizeof fileName, "summary-%lX.txt", static_cast<unsigned long>(GetCurrentThreadId()));
    path_ = TemporaryFolder() + fileName;

    buffer_.reset(new (std::nothrow) char[kBufferSize]());
    fill_ = 0;
    if (!buffer_) return nullptr;

    file_ = CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                        FILE_FLAG_WRITE_THROUGH, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) {
        path_.clear();
    } else {
        WriteContent();
        Flush();
        CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }
    buffer_.reset();
    return path_.c_str();
}

int CSummaryReport::Print(const char* format, ...) {
    if (!buffer_ || !format) return 0;
    if (fill_ > kFlushThreshold) Flush();
    char* at = buffer_.get() + fill_;
    va_list arguments;
    va_start(arguments, format);
    wvsprintfA(at, format, arguments);
    va_end(arguments);
    // Count what was stored rather than trust the result: cut output is
    // reported as 1024 by some systems, one more than it stored.
    fill_ += static_cast<int>(strnlen(at, kMaxPrint - 1));
    return 0;
}

void CSummaryReport::Flush() {
    if (fill_ <= 0 || !buffer_) return;
    DWORD written = 0;
    WriteFile(file_, buffer_.get(), static_cast<DWORD>(fill_), &written, nullptr);
    fill_ = 0;
}

int CSummaryReport::WriteContent() {
    WriteSystemInfo();
    Print("\r\n");
    for (const char* module : kOwnModules) WriteModuleInfo(module);
    WriteModuleInfo(GetAlmanorProgramPath().c_str());
    const std::string palmDesktop = ReadProductValue(product::GetProductString(product::kPalmDesktopPathValue));
    WriteModuleInfo(((palmDesktop.empty() ? "" : palmDesktop + "\\") + kHotSyncProgram).c_str());
    for (const char* module : kSystemModules) WriteModuleInfo(module);
    Print("\r\n");
    // The exports write straight to the file: what waits must go first.
    Flush();
    ExportRegistryKey(HKEY_CURRENT_USER, kProductKey, file_);
    ExportRegistryKey(HKEY_CURRENT_USER, kPalmDesktopCoreKey, file_);
    Print("\r\n");
    // The path is an argument, never the format: it may hold a percent sign.
    Print("Saved summary file to %s", path_.c_str());
    return 1;
}

void CSummaryReport::WriteSystemInfo() {
    Print("System Information\r\n");
    Print("  Operation System\r\n");
    Print("    Microsoft ");
    OSVERSIONINFOA version;
    std::memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) {
        Print("GetVersionEx failed!!");
        return;
    }
    char productType[kProductTypeSize];
    const bool haveType = version.dwPlatformId == VER_PLATFORM_WIN32_NT && ReadProductType(productType);
    Print("%s", DescribeWindowsVersion(version, haveType ? productType : nullptr).c_str());
}

void CSummaryReport::WriteModuleInfo(const char* name) {
    if (!name) name = "";
    CFileVersionInfo info(name);
    Print("  %s:\r\n", text::FileNamePart(name).c_str());
    if (info.Read()) {
        char value[kValueSize];
        info.GetCompanyName(value, sizeof value);
        Print("    Company:            %s\r\n", value);
        info.GetProductName(value, sizeof value);
        Print("    Product Name:       %s\r\n", value);
        info.GetFileDescription(value, sizeof value);
        Print("    Description:        %s\r\n", value);
        WORD parts[4];
        info.GetFileVersion(parts);
        Print("    Version:            %d.%d.%d.%d\r\n", parts[0], parts[1], parts[2], parts[3]);
        info.GetProductVersion(parts);
        Print("    Product Version:    %d.%d.%d.%d\r\n", parts[0], parts[1], parts[2], parts[3]);
    } else {
        Print("    No version info available\r\n");
    }
    info.Release();
}

bool ReadProductType(char (&productType)[kProductTypeSize]) {
    std::memset(productType, 0, sizeof productType);
    const RegKey key = RegKey::Open(HKEY_LOCAL_MACHINE, kProductOptionsKey, KEY_QUERY_VALUE);
    if (!key) return false;
    DWORD size = sizeof productType;
    if (RegQueryValueExA(key.get(), "ProductType", nullptr, nullptr, reinterpret_cast<BYTE*>(productType), &size) !=
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
        std::snprintf(numbers, sizeof numbers, " %lu.%lu ", static_cast<unsigned long>(major),
                      static_cast<unsigned long>(minor));
        description += numbers;
        if (!servicePack.empty()) description += servicePack + " ";
        std::snprintf(numbers, sizeof numbers, "(Build %u)", static_cast<unsigned>(LOWORD(version.dwBuildNumber)));
        description += numbers;
        break;
    }
    default:
        description = "????";
        break;
    }
    return description;
}
