#include "settings/settings_app.h"

#include "common/product_strings.h"
#include "common/this_module.h"
#include "resources/twpalmui_ids.h"
#include "ui/help.h"

namespace {

std::string ApplicationTitle() {
    char title[64] = {};
    LoadStringA(ThisModule(), IDS_APP_TITLE, title, sizeof title);
    return title;
}

// Constructed when the library is loaded; starting up never fails.
CSettingsApp g_app;

}  // namespace

CSettingsApp::CSettingsApp()
    : Application(ThisModule(), product::GetProductString(product::kCompanyName), ApplicationTitle()) {}

void CSettingsApp::ShowHelp(DWORD, UINT) { ShowProductHelp(); }
