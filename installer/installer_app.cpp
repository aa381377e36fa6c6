#include "installer/installer_app.h"

#include <windows.h>

#include "common/product_strings.h"
#include "common/this_module.h"
#include "resources/twpalm_ids.h"

namespace {

std::string ApplicationTitle() {
    char title[64] = {};
    LoadStringA(ThisModule(), IDS_APP_TITLE, title, sizeof title);
    return title;
}

const InstallerApp g_app;

}  // namespace

InstallerApp::InstallerApp()
    : profile_(product::GetProductString(product::kCompanyName), ApplicationTitle()) {}

const InstallerApp& TheInstallerApp() { return g_app; }
