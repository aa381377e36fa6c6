#pragma once

#include <windows.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/import_patch.h"

namespace testsupport {

// A message box as it appeared on screen: caption, text and owner read from
// the real box. The flags are those the watched module passed to MessageBoxA;
// for other callers only the buttons shown.
struct SeenMessageBox {
    std::string caption;
    std::string text;
    HWND owner = nullptr;
    UINT flags = 0;
    bool expected = true;  // false: no answer was queued for it
};

// Records every message box that the calling thread shows while the driver
// lives and answers it with the queued button; a box nobody expected is
// recorded as such and closed, so a test fails instead of hanging.
class MessageBoxDriver {
public:
    MessageBoxDriver();
    ~MessageBoxDriver();
    MessageBoxDriver(const MessageBoxDriver&) = delete;
    MessageBoxDriver& operator=(const MessageBoxDriver&) = delete;

    // The button (IDOK, IDYES, IDNO, ...) that answers the next box.
    void Answer(int button);
    // Records the exact flags of the module's MessageBoxA calls.
    void Watch(HMODULE module);
    // Puts the watched modules' imports back; before a watched module is freed.
    void StopWatching() { patches_.clear(); }

    const std::vector<SeenMessageBox>& seen() const { return seen_; }
    // The texts of the boxes seen, in order.
    std::vector<std::string> texts() const;
    // Boxes that came without a queued answer.
    int unexpected() const;

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    void OnActivate(HWND window);

    static int WINAPI RecordingMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT flags);

    MessageBoxDriver* previous_;  // drivers nest: the innermost one answers
    HHOOK hook_ = nullptr;
    std::vector<std::unique_ptr<ImportPatch>> patches_;
    UINT pendingFlags_ = 0;
    bool pending_ = false;
    std::deque<int> answers_;
    std::vector<SeenMessageBox> seen_;
};

// A dialog created by MessageBox: its text is the static with id 0xFFFF.
bool IsMessageBox(HWND window);
// The button set (MB_OK, MB_YESNO, ...) a real message box shows.
UINT ReadMessageBoxButtons(HWND box);
// A window's whole text.
std::string WindowText(HWND window);

}  // namespace testsupport
