#pragma once

#include <string>
#include <vector>

// One mode per twbench process; each returns the number of failures.
namespace bench {

// setup: the stand-in's Palm users and the bench user's data file.
int SetupMode();
// bulk add|remove: 10,000 values over 100 subkeys of the product's key.
int BulkMode(bool add);
// load RUNS [host [DLL...]]: LoadLibrary + FreeLibrary, product and empty DLL.
int LoadMode(int runs, bool host, const std::vector<std::string>& held);
// first ui|empty: the first load of a process.
int FirstLoadMode(const std::string& what);
// userlist RUNS: the user list against its references.
int UserListMode(int runs);
// usersettings RUNS: the settings dialog against its references.
int UserSettingsMode(int runs);
// peak userlist|controls|empty|ui-loaded|host-dlls: the first dialog of a process.
int PeakMode(const std::string& what);
// summary LABEL RUNS [profile]: the Settings Summary against "reg export".
int SummaryMode(const std::string& label, int runs, bool profile);
// conduits SCENARIO RUNS: InstallAllConduits + UninstallAllConduits.
int ConduitsMode(const std::string& scenario, int runs);

}  // namespace bench
