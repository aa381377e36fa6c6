#pragma once

#include <windows.h>

#include <initializer_list>
#include <optional>
#include <string>

#include "common/reg_key.h"

// State shared by the Palm Desktop stand-ins. It all lives in the registry so
// that tests arrange it and read the outcome directly, across processes:
//
// HKCU\Software\Palm Desktop Stand-in
//   Conduits\<creator>  a registered conduit. REG_SZ Name, Module, Directory,
//                       File, Remote, Info, User, Title, Arguments; REG_DWORD
//                       Priority, Integrate, Type. Absent value = not set.
//   HotSync             REG_DWORD Running, Syncing, CloseAfterChecks,
//                       StartAfterChecks (0xFFFFFFFF = never). Internal:
//                       CloseCountdown / StartCountdown exist only while a
//                       request is pending and hold the number of further
//                       HsCheckApiStatus calls that still report the old state.
//   Failures            REG_DWORD <exported function name> = code it returns
//                       instead of acting.
//   FailureCounts       REG_DWORD <exported function name> = how many more
//                       calls fail; absent = every call fails.
//   Users\<n>           n = 0, 1, ... consecutive. REG_DWORD ID, Profile,
//                       NameFails, IdResult; REG_SZ Name.
//   CallLog             REG_SZ "000001", "000002", ... = "Function(arg,arg)".
namespace standin {

constexpr char kRootPath[] = "Software\\Palm Desktop Stand-in";

// Failure codes for registry trouble the callers have no code of their own for.
constexpr int kRegistryError = -1;

// kRootPath + "\" + sub.
std::string StatePath(const std::string& sub);
// The state key below the root with read and write access; null when missing.
RegKey OpenState(const std::string& sub);
// The same, created when missing.
RegKey CreateState(const std::string& sub);

// A REG_DWORD value; false when missing or of another type.
bool ReadDword(const RegKey& key, const char* name, DWORD* value);
// A string value (REG_SZ or REG_EXPAND_SZ), cut at its first zero; false when
// missing or of another type.
bool ReadText(const RegKey& key, const char* name, std::string* text);
// A REG_DWORD value, or def.
DWORD DwordOr(const RegKey& key, const char* name, DWORD def);

// Call log arguments: strings as given ("(null)" for a null pointer), integers
// in decimal.
std::string Arg(const char* text);
std::string Arg(int value);
std::string Arg(DWORD value);

// Logs the call, then returns the failure code injected for the function, if any.
std::optional<int> BeginCall(const char* function, std::initializer_list<std::string> args);

}  // namespace standin
