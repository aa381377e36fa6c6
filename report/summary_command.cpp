#include "report/summary_command.h"

// The Settings Summary arrives with the report builder; until then the
// command leaves the user list as it is.
void RunSettingsSummary(HWND) {}
