#include "installer/hotsync_directory.h"

#include <windows.h>

#include "common/reg_key.h"
#include "common/registry_names.h"
#include "common/text.h"
#include "installer/result_codes.h"

int CheckHotSyncPath(const std::string& recordedDirectory) {
    const std::string hotSyncPath =
        ReadRegString(HKEY_CURRENT_USER, regnames::kPalmDesktopCoreKey, regnames::kHotSyncPathValue);
    if (hotSyncPath.empty()) return kNoPalmDesktop;
    // A path that does not fit a MAX_PATH buffer cannot name the recorded
    // folder; it is a changed directory, never a truncated match.
    if (hotSyncPath.size() >= MAX_PATH) return kReinstall;
    const std::string directory = text::StripProgramName(hotSyncPath);
    return text::EqualsIgnoreCase(directory, recordedDirectory) ? kSuccess : kReinstall;
}
