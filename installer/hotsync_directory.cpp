#include "installer/hotsync_directory.h"

#include <windows.h>

#include "common/reg_key.h"
#include "common/text.h"
#include "installer/result_codes.h"

namespace {
const char kPalmDesktopCoreKey[] = "Software\\U.S. Robotics\\Pilot Desktop\\Core";
}

int CheckHotSyncPath(const std::string& recordedDirectory) {
    const std::string hotSyncPath = ReadRegString(HKEY_CURRENT_USER, kPalmDesktopCoreKey, "HotSyncPath");
    if (hotSyncPath.empty()) return ERR_NO_PALM_DESKTOP;
    // A path that does not fit a MAX_PATH buffer cannot name the recorded
    // folder; it is a changed directory, never a truncated match.
    if (hotSyncPath.size() >= MAX_PATH) return ERR_REINSTALL;
    const std::string directory = text::StripProgramName(hotSyncPath);
    return text::EqualsIgnoreCase(directory, recordedDirectory) ? kSuccess : ERR_REINSTALL;
}
