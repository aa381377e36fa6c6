#pragma once

#include <string>

// What a HotSync does with a conduit's records: permanently, or once at the
// next HotSync (kNoOneTimeAction: none planned).
enum HotSyncAction : int {
    kNoOneTimeAction = -1,
    kSynchronize = 0,
    kAlmanorOverwritesHandheld = 1,
    kHandheldOverwritesAlmanor = 2,
    kDoNothing = 3,
};

// The label of a HotSync action: Synchronize, Almanor overwrites Handheld,
// Handheld overwrites Almanor, and Do Nothing for any other value.
std::string GetActionText(int action);
