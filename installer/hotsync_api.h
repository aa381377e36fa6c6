#pragma once

#include <string>

#include "common/module.h"
#include "common/palm_api.h"

// Palm Desktop's HotSync API, which starts and stops the HotSync Manager.
// All three functions are optional.
class HotSyncApi {
public:
    // HsApi.dll from the HotSync folder, else from the product folder;
    // kHsApiNotFound when neither loads.
    int Load(const std::string& hotSyncDirectory, const std::string& productPath);

    // The HotSync Manager runs: HsCheckApiStatus exists and returns 0.
    bool IsRunning() const;
    // Busy unless it runs and says it is not synchronising; a manager that
    // cannot tell counts as busy.
    bool IsBusy() const;
    // HsSetAppStatus when exported; false when it is not.
    bool RequestStatus(int status) const;

private:
    Module module_;
    palm::HsCheckApiStatusFn checkApiStatus_ = nullptr;
    palm::HsGetSyncStatusFn getSyncStatus_ = nullptr;
    palm::HsSetAppStatusFn setAppStatus_ = nullptr;
};

// The User Manager must be present in the HotSync folder before a
// registration changes: loaded and released at once.
bool UserManagerPresent(const std::string& hotSyncDirectory);
