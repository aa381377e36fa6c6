#pragma once

#include <string>

// Compares Palm Desktop's HotSync path for the current user with the folder
// recorded at the last registration: 0, kNoPalmDesktop when the user has
// no HotSync path, kReinstall when the folder has changed.
int CheckHotSyncPath(const std::string& recordedDirectory);
