#include "settings/hotsync_action.h"

#include "framework/application.h"
#include "resources/twpalmui_ids.h"

std::string GetActionText(int action) {
    switch (action) {
    case kSynchronize:
        return LoadResString(IDS_ACTION_SYNCHRONIZE);
    case kAlmanorOverwritesHandheld:
        return LoadResString(IDS_ACTION_ALMANOR_OVERWRITES);
    case kHandheldOverwritesAlmanor:
        return LoadResString(IDS_ACTION_HANDHELD_OVERWRITES);
    default:
        return LoadResString(IDS_ACTION_DO_NOTHING);
    }
}
