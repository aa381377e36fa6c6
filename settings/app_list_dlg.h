#pragma once

#include <string>

#include "framework/dialog.h"

// The handheld applications of one Palm user (dialog 30763): picks the
// conduit whose settings open next, in place of this list.
class CAppListDlg : public Dialog {
public:
    CAppListDlg(std::string user, HWND parent);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD notification, HWND control) override;

private:
    void PlaceAboveParentBottom();
    void OpenConduitSettings();

    std::string user_;
};
