#pragma once

// Windows NT 6.0 (Vista) or later, decided once when the module is loaded.
bool IsVistaOrLater();

// The same test on explicit inputs: the GetVersion top bit and the major version.
bool IsNtSixOrLater(bool nineXFamily, unsigned majorVersion);
