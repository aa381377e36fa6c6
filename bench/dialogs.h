#pragma once

#include <windows.h>

#include "bench/product.h"

namespace bench {

// The product's dialogs as a user sees them.
constexpr char kUserListCaption[] = "Tidewell for Palm Settings";
constexpr char kSettingsCaption[] = "Settings for Palm Date Book";
constexpr char kSummaryCaption[] = "Tidewell for Palm - Settings Summary";
constexpr int kUsersListId = 1126;

// The reference dialogs of twbench.rc.
constexpr char kEmptyUserListCaption[] = "Bench Empty User List";
constexpr char kEmptySettingsCaption[] = "Bench Empty Settings";
constexpr char kControlsUserListCaption[] = "Bench Controls User List";
constexpr char kControlsSettingsCaption[] = "Bench Controls Settings";

constexpr double kDialogTimeoutMs = 20000;

// ms from the call to the return of an empty dialog closed as soon as it is
// shown; -1 when it did not show. *peakKb: the peak working set while it was
// up; *upMs: from the call until it was activated.
double TimeEmptyDialog(int templateId, const char* caption, double* peakKb = nullptr, double* upMs = nullptr);

// The user list of this thread once it shows all the Palm users.
HWND FilledUserList();

// ms from the call of DisplaySettings to its return, the list closed as soon
// as it is up and filled; -1 when it never was.
double TimeUserList(DisplaySettingsFn display, double* peakKb = nullptr, double* upMs = nullptr);

// The process's peak working set; -1 when unknown.
double PeakWorkingSetKb();

}  // namespace bench
