#pragma once

#include <windows.h>

// Asks twpalm (from the product folder) to verify the conduit's registration
// interactively, owned by owner. Warns "[#3001]" when twpalm or its verify
// export cannot be had; the caller goes on either way.
void CheckConduitComponent(int kind, HWND owner);
