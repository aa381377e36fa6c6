#include "tests/support/dialog_driver.h"

#include <gtest/gtest.h>

#include "tests/support/message_box_driver.h"

namespace testsupport {

namespace {

thread_local DialogDriver* t_dialogDriver = nullptr;

struct Search {
    std::string caption;
    int controlId;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "#32770") != 0 || !IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
    if (WindowText(window) != search->caption) return TRUE;
    if (search->controlId && !GetDlgItem(window, search->controlId)) return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK CollectDialogs(HWND window, LPARAM lParam) {
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "#32770") == 0 && IsWindowVisible(window)) {
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(window);
    }
    return TRUE;
}

std::vector<HWND> OpenDialogs() {
    std::vector<HWND> dialogs;
    EnumThreadWindows(GetCurrentThreadId(), CollectDialogs, reinterpret_cast<LPARAM>(&dialogs));
    return dialogs;
}

}  // namespace

HWND FindDialog(const std::string& caption, int controlId) {
    Search search = {caption, controlId, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

DialogDriver::DialogDriver(DWORD timeoutMs)
    : previous_(t_dialogDriver), timeoutMs_(timeoutMs), lastProgress_(GetTickCount()) {
    t_dialogDriver = this;
    timer_ = SetTimer(nullptr, 0, 20, Tick);
}

DialogDriver::~DialogDriver() {
    KillTimer(nullptr, timer_);
    t_dialogDriver = previous_;
}

DialogDriver& DialogDriver::On(const std::string& caption, Action action) {
    return On(caption, 0, std::move(action));
}

DialogDriver& DialogDriver::On(const std::string& caption, int controlId, Action action) {
    steps_.push_back(Step{caption, controlId, std::move(action)});
    lastProgress_ = GetTickCount();
    return *this;
}

void CALLBACK DialogDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (t_dialogDriver) t_dialogDriver->OnTick();
}

void DialogDriver::OnTick() {
    if (busy_) return;
    busy_ = true;
    if (next_ < steps_.size()) {
        HWND dialog = FindDialog(steps_[next_].caption, steps_[next_].controlId);
        if (dialog) {
            // Advance first: the action may open a nested modal loop.
            Step step = steps_[next_++];
            lastProgress_ = GetTickCount();
            busy_ = false;
            step.action(dialog);
            return;
        }
        if (GetTickCount() - lastProgress_ > timeoutMs_) {
            CloseEverything("timed out waiting for \"" + steps_[next_].caption + "\"");
        }
    } else if (!OpenDialogs().empty() && GetTickCount() - lastProgress_ > timeoutMs_) {
        CloseEverything("a dialog stayed open after the last step: \"" + WindowText(OpenDialogs().front()) + "\"");
    }
    busy_ = false;
}

void DialogDriver::CloseEverything(const std::string& why) {
    problems_.push_back(why);
    lastProgress_ = GetTickCount();
    next_ = steps_.size();
    for (HWND dialog : OpenDialogs()) EndDialog(dialog, IDCANCEL);
}

void Click(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    ASSERT_TRUE(button != nullptr) << "no control " << id;
    ASSERT_TRUE(IsWindowEnabled(button)) << "control " << id << " is disabled";
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void SelectListItem(HWND dialog, int id, int index) {
    SendDlgItemMessageA(dialog, id, LB_SETCURSEL, index, 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void DoubleClickList(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_DBLCLK), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void SetCheck(HWND dialog, int id, bool checked) {
    if (IsChecked(dialog, id) == checked) return;
    HWND button = GetDlgItem(dialog, id);
    ASSERT_TRUE(button != nullptr) << "no control " << id;
    // BM_CLICK also clicks a disabled button, which a user cannot.
    ASSERT_TRUE(IsWindowEnabled(button)) << "control " << id << " is disabled";
    const LONG_PTR type = GetWindowLongPtrA(button, GWL_STYLE) & BS_TYPEMASK;
    ASSERT_FALSE(!checked && (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON))
        << "a click cannot uncheck radio button " << id;
    SendMessageA(button, BM_CLICK, 0, 0);
}

void PressKey(HWND dialog, WPARAM key) {
    HWND focus = GetFocus();
    HWND target = focus && IsChild(dialog, focus) ? focus : dialog;
    PostMessageA(target, WM_KEYDOWN, key, 0);
    PostMessageA(target, WM_KEYUP, key, 0xC0000000);
}

std::vector<std::string> ListItems(HWND dialog, int id) {
    std::vector<std::string> items;
    const int count = static_cast<int>(SendDlgItemMessageA(dialog, id, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        SendDlgItemMessageA(dialog, id, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

int ListSelection(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageA(dialog, id, LB_GETCURSEL, 0, 0)); }

std::string ControlText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

bool IsEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

bool IsVisible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace testsupport
