// Stand-in for Palm Desktop's Conduit Manager (CondMgr.dll): conduits are keys
// under the stand-in's Conduits key, one per creator.

#include <windows.h>

#include <climits>
#include <cstring>
#include <string>
#include <type_traits>

#include "common/palm_api.h"
#include "standins/standin_state.h"

using standin::Arg;
using standin::BeginCall;

namespace {

constexpr int kOk = 0;
constexpr int kErrNotRegistered = -1003;
constexpr int kErrAlreadyRegistered = -1005;
constexpr int kErrBufferTooSmall = -1010;
constexpr int kErrNotFound = -1011;
constexpr int kErrBadCreator = -1012;
constexpr int kErrBadArgument = -1013;
constexpr int kErrBadConduitType = -1015;

constexpr size_t kMaxCreatorLength = 64;

constexpr char kCorePath[] = "Software\\U.S. Robotics\\Pilot Desktop\\Core";

// A creator names a registry key: it must be non-empty and hold no path
// separator, or it would address the Conduits key itself or a key below another
// creator's.
bool ValidCreator(const char* creator) {
    if (!creator) return false;
    size_t length = strnlen(creator, kMaxCreatorLength + 1);
    return length > 0 && length <= kMaxCreatorLength && !std::memchr(creator, '\\', length);
}

std::string ConduitKey(const char* creator) { return std::string("Conduits\\") + creator; }

// Copies text with its terminating zero into the caller's buffer of *size
// chars; *size becomes the chars copied, or those needed when it does not fit.
int CopyOut(const std::string& text, char* buffer, int* size) {
    if (text.size() >= static_cast<size_t>(INT_MAX)) return kErrBufferTooSmall;
    int needed = static_cast<int>(text.size()) + 1;
    if (*size < needed) {
        *size = needed;
        return kErrBufferTooSmall;
    }
    std::memcpy(buffer, text.c_str(), static_cast<size_t>(needed));
    *size = needed;
    return kOk;
}

int GetString(const char* function, const char* valueName, const char* creator, char* buffer,
              int* size) {
    if (auto failure = BeginCall(function, {Arg(creator)})) return *failure;
    if (!ValidCreator(creator)) return kErrBadCreator;
    if (!buffer || !size) return kErrBadArgument;
    RegKey key = standin::OpenState(ConduitKey(creator));
    if (!key) return kErrNotRegistered;
    std::string text;
    if (!standin::ReadText(key, valueName, &text)) return kErrNotFound;
    return CopyOut(text, buffer, size);
}

int GetInt(const char* function, const char* valueName, const char* creator, int* value) {
    if (auto failure = BeginCall(function, {Arg(creator)})) return *failure;
    if (!ValidCreator(creator)) return kErrBadCreator;
    if (!value) return kErrBadArgument;
    RegKey key = standin::OpenState(ConduitKey(creator));
    if (!key) return kErrNotRegistered;
    DWORD stored = 0;
    if (!standin::ReadDword(key, valueName, &stored)) return kErrNotFound;
    *value = static_cast<int>(stored);
    return kOk;
}

int SetString(const char* function, const char* valueName, const char* creator, const char* value) {
    if (auto failure = BeginCall(function, {Arg(creator), Arg(value)})) return *failure;
    if (!ValidCreator(creator)) return kErrBadCreator;
    if (!value) return kErrBadArgument;
    RegKey key = standin::OpenState(ConduitKey(creator));
    if (!key) return kErrNotRegistered;
    return key.WriteString(valueName, value) ? kOk : standin::kRegistryError;
}

int SetInt(const char* function, const char* valueName, const char* creator, int value) {
    if (auto failure = BeginCall(function, {Arg(creator), Arg(value)})) return *failure;
    if (!ValidCreator(creator)) return kErrBadCreator;
    RegKey key = standin::OpenState(ConduitKey(creator));
    if (!key) return kErrNotRegistered;
    return key.WriteDword(valueName, static_cast<DWORD>(value)) ? kOk : standin::kRegistryError;
}

}  // namespace

extern "C" {

int WINAPI CmGetHotSyncExecPath(char* buffer, int* size) {
    if (auto failure = BeginCall("CmGetHotSyncExecPath", {})) return *failure;
    if (!buffer || !size) return kErrBadArgument;
    std::string path;
    if (!standin::ReadText(RegKey::Open(HKEY_CURRENT_USER, kCorePath), "HotSyncPath", &path) ||
        path.empty()) {
        return kErrNotFound;
    }
    return CopyOut(path, buffer, size);
}

int WINAPI CmGetCreatorName(const char* creator, char* buffer, int* size) {
    return GetString("CmGetCreatorName", "Name", creator, buffer, size);
}
int WINAPI CmGetCreatorModule(const char* creator, char* buffer, int* size) {
    return GetString("CmGetCreatorModule", "Module", creator, buffer, size);
}
int WINAPI CmGetCreatorDirectory(const char* creator, char* buffer, int* size) {
    return GetString("CmGetCreatorDirectory", "Directory", creator, buffer, size);
}
int WINAPI CmGetCreatorFile(const char* creator, char* buffer, int* size) {
    return GetString("CmGetCreatorFile", "File", creator, buffer, size);
}
int WINAPI CmGetCreatorRemote(const char* creator, char* buffer, int* size) {
    return GetString("CmGetCreatorRemote", "Remote", creator, buffer, size);
}
int WINAPI CmGetCreatorInfo(const char* creator, char* buffer, int* size) {
    return GetString("CmGetCreatorInfo", "Info", creator, buffer, size);
}
int WINAPI CmGetCreatorUser(const char* creator, char* buffer, int* size) {
    return GetString("CmGetCreatorUser", "User", creator, buffer, size);
}
int WINAPI CmGetCreatorTitle(const char* creator, char* buffer, int* size) {
    return GetString("CmGetCreatorTitle", "Title", creator, buffer, size);
}
int WINAPI CmGetCreatorArgument(const char* creator, char* buffer, int* size) {
    return GetString("CmGetCreatorArgument", "Arguments", creator, buffer, size);
}

int WINAPI CmGetCreatorPriority(const char* creator, int* value) {
    return GetInt("CmGetCreatorPriority", "Priority", creator, value);
}
int WINAPI CmGetCreatorIntegrate(const char* creator, int* value) {
    return GetInt("CmGetCreatorIntegrate", "Integrate", creator, value);
}

int WINAPI CmInstallCreator(const char* creator, int conduitType) {
    if (auto failure = BeginCall("CmInstallCreator", {Arg(creator), Arg(conduitType)})) {
        return *failure;
    }
    if (!ValidCreator(creator)) return kErrBadCreator;
    if (standin::OpenState(ConduitKey(creator))) return kErrAlreadyRegistered;
    if (conduitType != palm::kConduitTypeApplication) return kErrBadConduitType;
    RegKey key = standin::CreateState(ConduitKey(creator));
    return key.WriteDword("Type", static_cast<DWORD>(conduitType)) ? kOk : standin::kRegistryError;
}

int WINAPI CmSetCreatorName(const char* creator, const char* value) {
    return SetString("CmSetCreatorName", "Name", creator, value);
}
int WINAPI CmSetCreatorModule(const char* creator, const char* value) {
    return SetString("CmSetCreatorModule", "Module", creator, value);
}
int WINAPI CmSetCreatorDirectory(const char* creator, const char* value) {
    return SetString("CmSetCreatorDirectory", "Directory", creator, value);
}
int WINAPI CmSetCreatorFile(const char* creator, const char* value) {
    return SetString("CmSetCreatorFile", "File", creator, value);
}
int WINAPI CmSetCreatorRemote(const char* creator, const char* value) {
    return SetString("CmSetCreatorRemote", "Remote", creator, value);
}
int WINAPI CmSetCreatorInfo(const char* creator, const char* value) {
    return SetString("CmSetCreatorInfo", "Info", creator, value);
}
int WINAPI CmSetCreatorUser(const char* creator, const char* value) {
    return SetString("CmSetCreatorUser", "User", creator, value);
}
int WINAPI CmSetCreatorTitle(const char* creator, const char* value) {
    return SetString("CmSetCreatorTitle", "Title", creator, value);
}
int WINAPI CmSetCreatorArgument(const char* creator, const char* value) {
    return SetString("CmSetCreatorArgument", "Arguments", creator, value);
}

int WINAPI CmSetCreatorPriority(const char* creator, int value) {
    return SetInt("CmSetCreatorPriority", "Priority", creator, value);
}
int WINAPI CmSetCreatorIntegrate(const char* creator, int value) {
    return SetInt("CmSetCreatorIntegrate", "Integrate", creator, value);
}

int WINAPI CmRemoveConduitByCreatorID(const char* creator) {
    if (auto failure = BeginCall("CmRemoveConduitByCreatorID", {Arg(creator)})) return *failure;
    if (!ValidCreator(creator)) return kErrBadCreator;
    if (!standin::OpenState(ConduitKey(creator))) return kErrNotRegistered;
    return DeleteKeyTree(HKEY_CURRENT_USER, standin::StatePath(ConduitKey(creator)).c_str())
               ? kOk
               : standin::kRegistryError;
}

int WINAPI NmUnregister(const char* name) {
    if (auto failure = BeginCall("NmUnregister", {Arg(name)})) return *failure;
    return kOk;
}

}  // extern "C"

// The exports must keep the exact types callers bind them with.
static_assert(std::is_same_v<decltype(&CmGetHotSyncExecPath), palm::CmGetHotSyncExecPathFn>);
static_assert(std::is_same_v<decltype(&CmGetCreatorName), palm::CmGetCreatorStringFn>);
static_assert(std::is_same_v<decltype(&CmGetCreatorArgument), palm::CmGetCreatorStringFn>);
static_assert(std::is_same_v<decltype(&CmGetCreatorPriority), palm::CmGetCreatorIntFn>);
static_assert(std::is_same_v<decltype(&CmInstallCreator), palm::CmInstallCreatorFn>);
static_assert(std::is_same_v<decltype(&CmSetCreatorName), palm::CmSetCreatorStringFn>);
static_assert(std::is_same_v<decltype(&CmSetCreatorPriority), palm::CmSetCreatorIntFn>);
static_assert(std::is_same_v<decltype(&CmRemoveConduitByCreatorID), palm::CmRemoveConduitByCreatorIDFn>);
static_assert(std::is_same_v<decltype(&NmUnregister), palm::NmUnregisterFn>);
