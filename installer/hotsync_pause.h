#pragma once

#include "installer/hotsync_api.h"

// Closes a running, idle HotSync Manager for the length of a registration
// change and starts it again afterwards. Each wait polls at most 60 times,
// 500 ms apart, then goes on regardless.
class HotSyncPause {
public:
    explicit HotSyncPause(const HotSyncApi& api) : api_(api) {}
    ~HotSyncPause() { End(); }
    HotSyncPause(const HotSyncPause&) = delete;
    HotSyncPause& operator=(const HotSyncPause&) = delete;

    // 0, or kHotSyncInProgress when a synchronisation is under way
    // (nothing is changed then).
    int Begin();
    // Restarts the HotSync Manager when Begin closed it; runs once.
    void End();

    static constexpr int kMaxChecks = 60;
    static constexpr unsigned kCheckIntervalMs = 500;

private:
    const HotSyncApi& api_;
    bool wasRunning_ = false;
};
