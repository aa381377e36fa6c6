// Test programs that link the settings library's code directly need its
// application object: resources from the program itself (it links the same
// resource script), the product's per-user profile, and the visual-style
// binding the section labels draw with by default (the system's: off under
// Wine, whose common controls report 5.81).
#include "bindings/theme_api.h"
#include "framework/application.h"

namespace {

class UnitTestApplication : public Application {
public:
    UnitTestApplication() : Application(GetModuleHandleA(nullptr), "Quillon Software", "Orvelle") {}
    const ThemeApi& themes() const { return themes_; }

private:
    ThemeApi themes_;
};

UnitTestApplication g_unitTestApplication;

}  // namespace

const ThemeApi& ApplicationThemes() { return g_unitTestApplication.themes(); }
