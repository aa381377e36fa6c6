#pragma once

// Version resource facts shared by both libraries.
#define TW_VERSION_BINARY 1, 5, 0, 0
#define TW_VERSION_TEXT "1.5"
#define TW_COMPANY_NAME "Quillon Software"
#define TW_PRODUCT_NAME "Tidewell for Palm"
#define TW_COPYRIGHT "Copyright (C) Quillon Software"
