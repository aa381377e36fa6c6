#pragma once

#include <windows.h>

#include "installer/conduit_definitions.h"

// The work of the four exports. Each stores the owner window first and shows
// at most one result box.
void InstallBothConduits(HWND owner, int quiet);
void UninstallBothConduits(HWND owner, int quiet);
void VerifyConduit(const ConduitDefinition& conduit, HWND owner, int interactive);
