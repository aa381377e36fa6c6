#pragma once

#include <windows.h>

#include "framework/dialog.h"
#include "framework/gdi_object.h"

// Shows the Settings Summary file read-only in a fixed-pitch font, copies it
// to the clipboard and mails it to support (dialog 30760).
class CSummaryDlg : public Dialog {
public:
    // path: the summary file; the caller's text, alive as long as the dialog.
    CSummaryDlg(const char* path, HWND parent);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD notification, HWND control) override;
    // Send Report: mails the text, tells where the file is when that fails,
    // and closes in either case.
    void OnOK() override;

private:
    void SetFixedPitchFont();
    void LoadReport();
    bool SendReport();
    void ShowNotSent();

    const char* path_;
    Font font_;
};
