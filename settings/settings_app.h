#pragma once

#include "framework/application.h"

// The settings library's application object: registry key "Quillon Software"
// and profile name "Orvelle" (string 57344) fix the per-user settings root
// HKEY_CURRENT_USER\Software\Quillon Software\Orvelle.
class CSettingsApp : public Application {
public:
    CSettingsApp();
    void ShowHelp(DWORD context, UINT command) override;
};
