// A User Manager that holds its 20 Palm users in memory. Put in place of the
// stand-in (which keeps its users, and a log of every call, in the registry),
// it leaves the user list's own time.

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

const int kUsers = 20;
const DWORD kFirstId = 1001;

bool Known(DWORD id) { return id >= kFirstId && id < kFirstId + kUsers; }

}  // namespace

extern "C" {

short WINAPI UmGetUserCount() { return kUsers; }

int WINAPI UmGetUserID(int index, DWORD* id) {
    if (index < 0 || index >= kUsers || !id) return -1;
    *id = kFirstId + static_cast<DWORD>(index);
    return 0;
}

int WINAPI UmIsUserProfile(DWORD) { return 0; }

int WINAPI UmGetUserName(DWORD id, char* buffer, int* size) {
    if (!Known(id) || !buffer || !size) return -1;
    char name[32];
    const int length = std::snprintf(name, sizeof name, "User %lu", static_cast<unsigned long>(id - kFirstId + 1));
    if (length + 1 > *size) return -1;
    std::memcpy(buffer, name, static_cast<size_t>(length) + 1);
    *size = length;
    return length;
}

int WINAPI UmIsUserInstalled(DWORD id) { return Known(id) ? 1 : 0; }

}  // extern "C"
