#pragma once

#include <string>
#include <vector>

#include "common/module.h"
#include "common/palm_api.h"

// Palm Desktop's User Manager (UserData.dll in the recorded Palm Desktop
// folder), bound for as long as the object lives: the user list holds one
// while it lists the Palm users. UmIsUserInstalled is not needed: a library
// lacking it still counts.
class UserManager {
public:
    // Loads the library with the system's "file not found" box suppressed;
    // false, and nothing held, when it does not load or lacks a function the
    // list calls.
    bool Load();
    bool Bound() const { return static_cast<bool>(library_); }

    // The Palm users to list, in the User Manager's order: profiles, entries
    // without an identifier and names that cannot be read are left out.
    // Empty when the User Manager is not bound.
    std::vector<std::string> ListPalmUsers() const;

private:
    struct Functions {
        palm::UmGetUserCountFn getUserCount;
        palm::UmGetUserIDFn getUserId;
        palm::UmGetUserNameFn getUserName;
        palm::UmIsUserProfileFn isUserProfile;
    };

    Module library_;
    Functions fn_ = {};
};
