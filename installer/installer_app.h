#pragma once

#include "common/profile.h"

// twpalm's application object: the registry key "Quillon Software" and the
// profile name from string 57344 fix its per-user profile root.
class InstallerApp {
public:
    InstallerApp();
    const Profile& profile() const { return profile_; }

private:
    Profile profile_;
};

const InstallerApp& TheInstallerApp();
