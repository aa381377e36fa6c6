#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace bench {

// Runs call() with tick() on every timer tick inside its modal loops; false
// when it had to be ended by the deadline (every dialog of the thread is then
// ended, so a run fails instead of hanging). *startedAt: when call() began.
// A message box during the run means it went off its road: it is reported as
// a failure and closed.
bool RunModal(const std::function<void()>& call, const std::function<void()>& tick, double timeoutMs,
              double* startedAt = nullptr);

// A visible top-level window of this thread with exactly this caption.
HWND FindShown(const char* caption);

// A click on the dialog's control id, posted.
void PostCommand(HWND dialog, int id);

// When each caption was first activated on this thread since the last
// ForgetActivations: a dialog is activated once it is created and
// initialised, just before it is first painted. Watching starts with
// WatchActivations; onActivate, when set, sees every activation.
void WatchActivations();
void ForgetActivations();
double ActivatedAt(const char* caption);  // -1: not activated
using ActivationListener = std::function<void(HWND window, const std::string& caption, double at)>;
void SetActivationListener(ActivationListener onActivate);

}  // namespace bench
