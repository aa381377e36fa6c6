#pragma once

#include <string>

// Compares Palm Desktop's HotSync path for the current user with the folder
// recorded at the last registration: 0, ERR_NO_PALM_DESKTOP when the user has
// no HotSync path, ERR_REINSTALL when the folder has changed.
int CheckHotSyncPath(const std::string& recordedDirectory);
