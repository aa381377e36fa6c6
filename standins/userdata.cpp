// Stand-in for Palm Desktop's User Manager (UserData.dll): users are the
// consecutive keys Users\0, Users\1, ... of the stand-in's state.

#include <windows.h>

#include <climits>
#include <cstring>
#include <string>
#include <type_traits>

#include "common/palm_api.h"
#include "standins/standin_state.h"

using standin::Arg;
using standin::BeginCall;
using standin::DwordOr;

namespace {

RegKey OpenUser(int index) { return standin::OpenState("Users\\" + std::to_string(index)); }

int UserCount() {
    int count = 0;
    while (count < SHRT_MAX && OpenUser(count)) ++count;
    return count;
}

// The key of the user with this ID, or a null key.
RegKey FindUser(DWORD id) {
    int count = UserCount();
    for (int index = 0; index < count; ++index) {
        RegKey user = OpenUser(index);
        DWORD userId = 0;
        if (standin::ReadDword(user, "ID", &userId) && userId == id) return user;
    }
    return RegKey();
}

}  // namespace

extern "C" {

short WINAPI UmGetUserCount() {
    if (auto failure = BeginCall("UmGetUserCount", {})) return static_cast<short>(*failure);
    return static_cast<short>(UserCount());
}

int WINAPI UmGetUserID(int index, DWORD* id) {
    if (auto failure = BeginCall("UmGetUserID", {Arg(index)})) return *failure;
    if (index < 0 || !id) return -1;
    RegKey user = OpenUser(index);
    if (!user) return -1;
    *id = DwordOr(user, "ID", 0);
    return static_cast<int>(DwordOr(user, "IdResult", 0));
}

int WINAPI UmIsUserProfile(DWORD id) {
    if (auto failure = BeginCall("UmIsUserProfile", {Arg(id)})) return *failure;
    return static_cast<int>(DwordOr(FindUser(id), "Profile", 0));
}

int WINAPI UmGetUserName(DWORD id, char* buffer, int* size) {
    if (auto failure = BeginCall("UmGetUserName", {Arg(id)})) return *failure;
    if (!buffer || !size) return -1;
    RegKey user = FindUser(id);
    std::string name;
    if (!user || DwordOr(user, "NameFails", 0) != 0 || !standin::ReadText(user, "Name", &name)) {
        return -1;
    }
    if (name.size() >= static_cast<size_t>(INT_MAX) || static_cast<int>(name.size()) + 1 > *size) {
        return -1;
    }
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *size = static_cast<int>(name.size());
    return *size;
}

int WINAPI UmIsUserInstalled(DWORD id) {
    if (auto failure = BeginCall("UmIsUserInstalled", {Arg(id)})) return *failure;
    return FindUser(id) ? 1 : 0;
}

}  // extern "C"

static_assert(std::is_same_v<decltype(&UmGetUserCount), palm::UmGetUserCountFn>);
static_assert(std::is_same_v<decltype(&UmGetUserID), palm::UmGetUserIDFn>);
static_assert(std::is_same_v<decltype(&UmIsUserProfile), palm::UmIsUserProfileFn>);
static_assert(std::is_same_v<decltype(&UmGetUserName), palm::UmGetUserNameFn>);
static_assert(std::is_same_v<decltype(&UmIsUserInstalled), palm::UmIsUserInstalledFn>);
