#pragma once

#include "bindings/theme_api.h"
#include "framework/application.h"

// The settings library's application object: registry key "Quillon Software"
// and profile name "Orvelle" (string 57344) fix the per-user settings root
// HKEY_CURRENT_USER\Software\Quillon Software\Orvelle. It holds the
// visual-style binding for as long as the library is loaded.
class SettingsApp : public Application {
public:
    SettingsApp();
    void ShowHelp(DWORD context, UINT command) override;

    const ThemeApi& themes() const { return themes_; }

private:
    ThemeApi themes_;
};
