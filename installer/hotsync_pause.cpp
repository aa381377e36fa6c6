#include "installer/hotsync_pause.h"

#include <windows.h>

#include "installer/result_codes.h"

namespace {

// Polls until the HotSync Manager's running state equals wanted.
void WaitUntilRunning(const HotSyncApi& api, bool wanted) {
    for (int check = 0; check < HotSyncPause::kMaxChecks; ++check) {
        if (api.IsRunning() == wanted) return;
        Sleep(HotSyncPause::kCheckIntervalMs);
    }
}

}  // namespace

int HotSyncPause::Begin() {
    wasRunning_ = api_.IsRunning();
    if (!wasRunning_) return kSuccess;
    if (api_.IsBusy()) {
        wasRunning_ = false;  // left running: nothing to restart
        return kHotSyncInProgress;
    }
    api_.RequestStatus(palm::kAppStatusClose);
    WaitUntilRunning(api_, false);
    return kSuccess;
}

void HotSyncPause::End() {
    if (!wasRunning_) return;
    wasRunning_ = false;
    if (api_.IsRunning()) return;
    api_.RequestStatus(palm::kAppStatusStart);
    WaitUntilRunning(api_, true);
}
