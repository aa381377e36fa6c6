#include "installer/hotsync_api.h"

#include "common/path.h"
#include "installer/result_codes.h"

int HotSyncApi::Load(const std::string& hotSyncDirectory, const std::string& productPath) {
    module_ = Module::Load(path::Join(hotSyncDirectory, palm::kHsApiDll).c_str());
    if (!module_) module_ = Module::Load(path::Join(productPath, palm::kHsApiDll).c_str());
    if (!module_) return kHsApiNotFound;
    checkApiStatus_ = module_.Find<palm::HsCheckApiStatusFn>("HsCheckApiStatus");
    getSyncStatus_ = module_.Find<palm::HsGetSyncStatusFn>("HsGetSyncStatus");
    setAppStatus_ = module_.Find<palm::HsSetAppStatusFn>("HsSetAppStatus");
    return kSuccess;
}

bool HotSyncApi::IsRunning() const { return checkApiStatus_ && checkApiStatus_() == 0; }

bool HotSyncApi::IsBusy() const {
    if (!IsRunning() || !getSyncStatus_) return true;
    int status = -1;
    if (getSyncStatus_(&status) != 0) return true;
    return status != 0;
}

bool HotSyncApi::RequestStatus(int status) const {
    if (!setAppStatus_) return false;
    setAppStatus_(status, 0);
    return true;
}

bool UserManagerPresent(const std::string& hotSyncDirectory) {
    return static_cast<bool>(Module::Load(path::Join(hotSyncDirectory, palm::kUserDataDll).c_str()));
}
