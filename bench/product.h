#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace bench {

// The bench prefix as scripts/bench.sh and the setup mode leave it.
constexpr char kPalmFolder[] = "C:\\Palm";
constexpr char kDataFile[] = "C:\\Calendar\\Home.al0";
constexpr char kBenchUser[] = "User 1";
constexpr int kUserCount = 20;

using DisplaySettingsFn = int(WINAPI*)(HWND);
using DisplayUserSettingsFn = int(WINAPI*)(int, const char*, HWND);
using ConduitsFn = int(WINAPI*)(HWND, int);

// A library of this program's folder, where the product's callers keep it;
// null (and a failure reported) when it does not load.
HMODULE LoadProduct(const char* name);
std::string ProductPath(const char* name);

// The function exported under name; null, and a failure reported, when missing.
FARPROC ExportAddress(HMODULE module, const char* name);
template <typename Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(ExportAddress(module, name)));
}

// The system libraries twpalmui imports or binds, as a calendar application
// would already hold them.
std::vector<std::string> HostLibraries();

// HKCU paths of the product's per-user settings.
std::string UsersKeyPath();
std::string BenchUserKeyPath();

// The Palm Desktop folder the settings library loads the User Manager from.
std::string PalmDesktopPath();
bool SetPalmDesktopPath(const std::string& path);

}  // namespace bench
