#pragma once

#include "framework/dialog.h"
#include "framework/gdi_object.h"

// Picks the permanent and the one-time HotSync action (dialog 2001). Each
// value is the index of the checked button of its group, -1 when none is.
class CHotSyncActionDlg : public Dialog {
public:
    explicit CHotSyncActionDlg(HWND parent);

    int permanentAction = -1;
    int oneTimeAction = -1;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(DataExchange& exchange) override;
    void OnOK() override;

private:
    Font boldFont_;
};
