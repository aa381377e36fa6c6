#include "bindings/user_manager.h"

#include "common/module.h"
#include "common/palm_api.h"
#include "common/product_strings.h"
#include "common/product_value.h"
#include "common/text.h"

#include <utility>

namespace {

struct UserManagerBinding {
    Module library;
    palm::UmGetUserCountFn getUserCount = nullptr;
    palm::UmGetUserIDFn getUserId = nullptr;
    palm::UmGetUserNameFn getUserName = nullptr;
    palm::UmIsUserInstalledFn isUserInstalled = nullptr;
    palm::UmIsUserProfileFn isUserProfile = nullptr;
    bool bound = false;
    int count = 0;
};

UserManagerBinding g_userManager;

// A library lacking one of the functions the list calls is no User Manager.
bool HasListFunctions(const UserManagerBinding& b) {
    return b.getUserCount && b.getUserId && b.getUserName && b.isUserProfile;
}

void ForgetFunctions(UserManagerBinding* b) {
    b->getUserCount = nullptr;
    b->getUserId = nullptr;
    b->getUserName = nullptr;
    b->isUserInstalled = nullptr;
    b->isUserProfile = nullptr;
}

}  // namespace

bool BindUserManager() {
    UserManagerBinding& b = g_userManager;
    if (b.count > 0) {
        ++b.count;
        b.bound = true;
        return true;
    }
    std::string path = ReadProductValue(product::GetProductString(product::kPalmDesktopPathValue));
    if (!path.empty()) path += std::string("\\") + palm::kUserDataDll;
    Module library = Module::LoadQuietly(path.c_str());
    if (!library) return false;
    b.getUserCount = library.Find<palm::UmGetUserCountFn>("UmGetUserCount");
    b.getUserId = library.Find<palm::UmGetUserIDFn>("UmGetUserID");
    b.getUserName = library.Find<palm::UmGetUserNameFn>("UmGetUserName");
    b.isUserInstalled = library.Find<palm::UmIsUserInstalledFn>("UmIsUserInstalled");
    b.isUserProfile = library.Find<palm::UmIsUserProfileFn>("UmIsUserProfile");
    if (!HasListFunctions(b)) {
        ForgetFunctions(&b);
        return false;
    }
    b.library = std::move(library);
    b.bound = true;
    b.count = 1;
    return true;
}

void ReleaseUserManager() {
    UserManagerBinding& b = g_userManager;
    if (!b.bound) return;
    if (--b.count == 0) {
        ForgetFunctions(&b);
        b.library.Free();
    }
    b.bound = false;
}

bool UserManagerBound() { return g_userManager.bound; }

std::vector<std::string> ListPalmUsers() {
    std::vector<std::string> users;
    const UserManagerBinding& b = g_userManager;
    if (!b.bound) return users;
    const short count = b.getUserCount();
    for (int index = 0; index < count; ++index) {
        DWORD id = 0xFFFFFFFF;
        const int rc = b.getUserId(index, &id);
        if (rc < 0 || (rc == 0 && id == 0)) continue;
        if (b.isUserProfile(id)) continue;
        char name[32] = {};
        int size = sizeof name;
        if (b.getUserName(id, name, &size) <= 0) continue;
        users.push_back(text::FromBuffer(name, sizeof name));
    }
    return users;
}
