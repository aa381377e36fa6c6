#include "bindings/theme_api.h"

// The binding lives exactly as long as the settings library is loaded.
CThemeApi g_themeApi;
