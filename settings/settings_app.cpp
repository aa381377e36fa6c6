#include "settings/settings_app.h"

#include "common/module_string.h"
#include "common/product_strings.h"
#include "common/this_module.h"
#include "ui/help.h"

namespace {

// Constructed when the library is loaded; starting up never fails.
SettingsApp g_app;

}  // namespace

SettingsApp::SettingsApp()
    : Application(ThisModule(), product::GetProductString(product::kCompanyName), ApplicationTitle()) {}

void SettingsApp::ShowHelp(DWORD, UINT) { ShowProductHelp(); }

const ThemeApi& ApplicationThemes() { return g_app.themes(); }
