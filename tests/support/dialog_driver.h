#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// Drives the dialogs that a modal call on this thread shows: a script of
// steps, each waiting for its dialog (by caption) to be the active one and
// then acting on it. A thread timer runs the script inside the modal loops;
// a watchdog ends every dialog of the thread when a step waits too long or a
// dialog stays up after the script is done, so a test fails instead of hanging.
class DialogDriver {
public:
    using Action = std::function<void(HWND dialog)>;

    explicit DialogDriver(DWORD timeoutMs = 8000);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    // Adds a step: wait for an enabled dialog with this caption (and, when
    // given, holding the control), then act.
    DialogDriver& On(const std::string& caption, Action action);
    DialogDriver& On(const std::string& caption, int controlId, Action action);

    bool finished() const { return next_ == steps_.size(); }
    // What went wrong: steps that timed out, dialogs left open.
    const std::vector<std::string>& problems() const { return problems_; }

private:
    struct Step {
        std::string caption;
        int controlId;
        Action action;
    };
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void OnTick();
    void CloseEverything(const std::string& why);

    DialogDriver* previous_;  // drivers nest: the innermost one runs
    std::vector<Step> steps_;
    size_t next_ = 0;
    std::vector<std::string> problems_;
    UINT_PTR timer_ = 0;
    DWORD timeoutMs_;
    DWORD lastProgress_;
    bool busy_ = false;
};

// The active (enabled, visible) dialog or message box of this thread with
// the caption (and the control, when not 0), or null.
HWND FindDialog(const std::string& caption, int controlId = 0);

// Acting on controls the way a user would, by posted messages.
void Click(HWND dialog, int id);                 // fails the test when disabled
void SelectListItem(HWND dialog, int id, int index);
void DoubleClickList(HWND dialog, int id);
// Clicks a check box whose state differs, or a radio button to be checked
// (its group unchecks the others); a radio button cannot be unchecked so.
void SetCheck(HWND dialog, int id, bool checked);
void PressKey(HWND dialog, WPARAM key);

// Reading controls.
std::vector<std::string> ListItems(HWND dialog, int id);
int ListSelection(HWND dialog, int id);
std::string ControlText(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);
bool IsVisible(HWND dialog, int id);
// Pumps this thread's pending messages.
void PumpMessages();

}  // namespace testsupport
