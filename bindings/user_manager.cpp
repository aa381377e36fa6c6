#include "bindings/user_manager.h"

#include <utility>

#include "common/product_strings.h"
#include "common/product_value.h"
#include "common/text.h"

bool UserManager::Load() {
    std::string path = ReadProductValue(product::GetProductString(product::kPalmDesktopPathValue));
    if (!path.empty()) path += std::string("\\") + palm::kUserDataDll;
    Module library = Module::LoadQuietly(path.c_str());
    Functions fn;
    fn.getUserCount = library.Find<palm::UmGetUserCountFn>("UmGetUserCount");
    fn.getUserId = library.Find<palm::UmGetUserIDFn>("UmGetUserID");
    fn.getUserName = library.Find<palm::UmGetUserNameFn>("UmGetUserName");
    fn.isUserProfile = library.Find<palm::UmIsUserProfileFn>("UmIsUserProfile");
    if (!fn.getUserCount || !fn.getUserId || !fn.getUserName || !fn.isUserProfile) return false;
    library_ = std::move(library);
    fn_ = fn;
    return true;
}

std::vector<std::string> UserManager::ListPalmUsers() const {
    std::vector<std::string> users;
    if (!Bound()) return users;
    const short count = fn_.getUserCount();
    for (int index = 0; index < count; ++index) {
        DWORD id = 0xFFFFFFFF;
        const int rc = fn_.getUserId(index, &id);
        if (rc < 0 || (rc == 0 && id == 0)) continue;
        if (fn_.isUserProfile(id)) continue;
        char name[32] = {};
        int size = sizeof name;
        if (fn_.getUserName(id, name, &size) <= 0) continue;
        users.push_back(text::FromBuffer(name, sizeof name));
    }
    return users;
}
