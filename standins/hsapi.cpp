// Stand-in for Palm Desktop's HotSync API (HsApi.dll). HotSync Manager's state
// is the stand-in's HotSync key; close and start requests take effect after a
// configurable number of status checks, as a real HotSync Manager takes time
// to quit or come up.

#include <windows.h>

#include <type_traits>

#include "common/palm_api.h"
#include "standins/standin_state.h"

using standin::Arg;
using standin::BeginCall;
using standin::DwordOr;

namespace {

constexpr char kHotSyncKey[] = "HotSync";
constexpr DWORD kNever = 0xFFFFFFFF;

struct Transition {
    const char* afterChecks;  // configured delay
    const char* countdown;    // pending request's remaining checks
    DWORD running;            // Running once the request is done
};

constexpr Transition kClose = {"CloseAfterChecks", "CloseCountdown", 0};
constexpr Transition kStart = {"StartAfterChecks", "StartCountdown", 1};

bool IsRunning(const RegKey& key) { return DwordOr(key, "Running", 0) != 0; }

// One status check's worth of progress on a pending request.
void Advance(const RegKey& key, const Transition& transition) {
    DWORD remaining = 0;
    if (!standin::ReadDword(key, transition.countdown, &remaining)) return;
    if (remaining == 0) {
        key.WriteDword("Running", transition.running);
        RegDeleteValueA(key.get(), transition.countdown);
    } else {
        key.WriteDword(transition.countdown, remaining - 1);
    }
}

// The latest request wins: it drops a pending opposite one. A repeated request
// keeps its running countdown rather than starting over.
void Request(const RegKey& key, const Transition& transition, const Transition& opposite) {
    RegDeleteValueA(key.get(), opposite.countdown);
    if (IsRunning(key) == (transition.running != 0)) return;
    DWORD pending = 0;
    if (standin::ReadDword(key, transition.countdown, &pending)) return;
    DWORD after = DwordOr(key, transition.afterChecks, 0);
    if (after == kNever) return;
    if (after == 0) {
        key.WriteDword("Running", transition.running);
    } else {
        key.WriteDword(transition.countdown, after);
    }
}

}  // namespace

extern "C" {

int WINAPI HsCheckApiStatus() {
    if (auto failure = BeginCall("HsCheckApiStatus", {})) return *failure;
    RegKey key = standin::OpenState(kHotSyncKey);
    Advance(key, kClose);
    Advance(key, kStart);
    return IsRunning(key) ? 0 : -1;
}

int WINAPI HsGetSyncStatus(int* status) {
    if (auto failure = BeginCall("HsGetSyncStatus", {})) return *failure;
    if (!status) return -1;
    *status = DwordOr(standin::OpenState(kHotSyncKey), "Syncing", 0) != 0 ? 1 : 0;
    return 0;
}

int WINAPI HsSetAppStatus(int status, int flags) {
    if (auto failure = BeginCall("HsSetAppStatus", {Arg(status), Arg(flags)})) return *failure;
    RegKey key = standin::CreateState(kHotSyncKey);
    if (status == palm::kAppStatusClose) Request(key, kClose, kStart);
    if (status == palm::kAppStatusStart) Request(key, kStart, kClose);
    return 0;
}

}  // extern "C"

static_assert(std::is_same_v<decltype(&HsCheckApiStatus), palm::HsCheckApiStatusFn>);
static_assert(std::is_same_v<decltype(&HsGetSyncStatus), palm::HsGetSyncStatusFn>);
static_assert(std::is_same_v<decltype(&HsSetAppStatus), palm::HsSetAppStatusFn>);
