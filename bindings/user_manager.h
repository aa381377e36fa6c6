#pragma once

#include <string>
#include <vector>

// Palm Desktop's User Manager (UserData.dll in the recorded Palm Desktop
// folder), bound for the time it takes to list the Palm users.
// Process-wide: a bound flag and a binding count.
bool BindUserManager();
void ReleaseUserManager();
bool UserManagerBound();

// The Palm users to list, in the User Manager's order: profiles, entries
// without an identifier and names that cannot be read are left out. Empty
// when the User Manager is not bound.
std::vector<std::string> ListPalmUsers();
