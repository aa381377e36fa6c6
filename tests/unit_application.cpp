// Test programs that link the settings library's code directly need its
// application object: resources from the program itself (it links the same
// resource script), the product's per-user profile.
#include "framework/application.h"

Application g_unitTestApplication(GetModuleHandleA(nullptr), "Quillon Software", "Orvelle");
