#pragma once

#include <string>

#include "settings/hotsync_action.h"

// One Palm user's settings for one conduit, as the conduits read them at
// HotSync time. Stored under the per-user root: "Users\<user>" holds the data
// file ("Path", shared by both conduits), "Users\<user>\<section>" the rest.
struct ConduitSettings {
    std::string dataFile;
    bool syncHidden = false;
    bool syncPrivate = false;
    int conflicts = 0;         // ConflictResolution: 0 duplicate, 1 Almanor wins, 2 handheld wins
    int permanentAction = 0;   // HotSyncAction: 0 synchronize ... 3 do nothing
    int oneTimeAction = -1;    // HotSyncAction, or -1 for none
};

// Reads all six values with their defaults, normalised into their ranges
// (nothing is written back).
ConduitSettings LoadConduitSettings(const std::string& user, int kind);
// Writes all six: "Path", then Hidden, Private, Conflicts, Permanent, Temporary.
void SaveConduitSettings(const std::string& user, int kind, const ConduitSettings& settings);
// The conduit's log file for a data file and Palm user:
// C:\Cal\Home.al0, "Jane O'Neil", Date Book -> C:\Cal\Home_dates_jane_o_neil_log.txt
std::string BuildLogFileName(const std::string& dataFile, int kind, const std::string& user);

// The profile section of a Palm user: "Users\" + user.
std::string UserSection(const std::string& user);

// Whether the registry can hold this Palm user's settings for the conduit:
// opens (creating, as every profile read does) the conduit's section. False
// for a name too long for a registry key, whose settings would be lost.
bool CanStoreConduitSettings(const std::string& user, int kind);
