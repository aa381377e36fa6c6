#pragma once

#include "framework/dialog.h"
#include "framework/icon.h"

// The list of Palm users (dialog 199): leads to the application list, the
// About box, help and, from the system menu, the Settings Summary.
class CUserListDlg : public Dialog {
public:
    explicit CUserListDlg(HWND parent);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD notification, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    void AddSummaryMenuItem();
    void SetIcons();
    void FillUsers();
    void SelectLastUser();
    void OpenAppList();

    OwnedIcon smallIcon_;
    OwnedIcon largeIcon_;
};
