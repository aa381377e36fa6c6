#pragma once

// Version resource facts shared by both libraries; the version number itself
// comes from the build (project VERSION in CMakeLists.txt).
#include "tw_version.h"

#define TW_VERSION_BINARY TW_VERSION_MAJOR, TW_VERSION_MINOR, 0, 0
#define TW_COMPANY_NAME "Quillon Software"
#define TW_PRODUCT_NAME "Tidewell for Palm"
#define TW_COPYRIGHT "Copyright (C) Quillon Software"
