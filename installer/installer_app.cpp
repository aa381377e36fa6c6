#include "installer/installer_app.h"

#include "common/module_string.h"
#include "common/product_strings.h"

namespace {
const InstallerApp g_app;
}  // namespace

InstallerApp::InstallerApp()
    : profile_(product::GetProductString(product::kCompanyName), ApplicationTitle()) {}

const InstallerApp& TheInstallerApp() { return g_app; }
