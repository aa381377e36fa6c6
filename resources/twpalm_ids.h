#pragma once

// Resource identifiers of twpalm.dll.
#define IDS_APP_TITLE 57344
