// Exceptions stop at the window procedures of the framework. A handler that
// throws inside a real modal dialog must not unwind through user32's frames
// (on the 32-bit build that ends the host process): the dialog goes on and
// closes with a clean result.
#include <gtest/gtest.h>

#include <windows.h>

#include <new>
#include <stdexcept>

#include "framework/dialog.h"
#include "framework/subclassed_window.h"
#include "resources/twpalmui_ids.h"
#include "tests/support/dialog_driver.h"

namespace {

using testsupport::Click;
using testsupport::DialogDriver;

const char kCaption[] = "HotSync Action";
constexpr WORD kThrowingCommand = 40001;
constexpr UINT kThrowingMessage = WM_APP + 1;

// A control whose own procedure throws on one message.
class ThrowingControl : public SubclassedWindow {
public:
    int thrown = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kThrowingMessage) {
            ++thrown;
            throw std::runtime_error("control");
        }
        return SubclassedWindow::WindowProc(message, wParam, lParam);
    }
};

// The HotSync Action template with handlers that throw where a test asks.
class ThrowingDialog : public Dialog {
public:
    explicit ThrowingDialog(bool throwOnInit) : Dialog(IDD_HOTSYNC_ACTION, nullptr), throwOnInit_(throwOnInit) {}
    int thrown = 0;
    ThrowingControl control;

protected:
    BOOL OnInitDialog() override {
        control.Attach(Item(IDC_ACTION_PERMANENT_GROUP));
        if (throwOnInit_) {
            ++thrown;
            throw std::bad_alloc();
        }
        return Dialog::OnInitDialog();
    }
    bool OnCommand(WORD id, WORD notification, HWND source) override {
        if (id == kThrowingCommand) {
            ++thrown;
            throw std::bad_alloc();
        }
        return Dialog::OnCommand(id, notification, source);
    }

private:
    bool throwOnInit_;
};

TEST(CallbackBoundary, ThrowingCommandHandlerLeavesTheDialogWorking) {
    ThrowingDialog dialog(false);
    DialogDriver dialogs;
    bool stillThere = false;
    dialogs.On(kCaption, [&](HWND window) {
        SendMessageA(window, WM_COMMAND, kThrowingCommand, 0);
        stillThere = IsWindow(window) && IsWindowVisible(window);
        Click(window, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_EQ(1, dialog.thrown);
    EXPECT_TRUE(stillThere);
    EXPECT_TRUE(dialogs.problems().empty());
}

TEST(CallbackBoundary, ThrowingInitialisationStillShowsAndClosesTheDialog) {
    ThrowingDialog dialog(true);
    DialogDriver dialogs;
    dialogs.On(kCaption, [](HWND window) { Click(window, IDOK); });
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(1, dialog.thrown);
    EXPECT_TRUE(dialogs.problems().empty());
}

TEST(CallbackBoundary, ThrowingControlProcedureFallsBackToTheControlsOwn) {
    ThrowingDialog dialog(false);
    DialogDriver dialogs;
    char textAfter[64] = {};
    dialogs.On(kCaption, [&](HWND window) {
        const HWND group = GetDlgItem(window, IDC_ACTION_PERMANENT_GROUP);
        SendMessageA(group, kThrowingMessage, 0, 0);
        // Still subclassed and still the control's own: its text can be set and read.
        SetWindowTextA(group, "Changed");
        GetWindowTextA(group, textAfter, sizeof textAfter);
        Click(window, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_EQ(1, dialog.control.thrown);
    EXPECT_STREQ("Changed", textAfter);
    EXPECT_TRUE(dialogs.problems().empty());
}

}  // namespace
