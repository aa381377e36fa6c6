#pragma once

#include <string>

#include "framework/dialog.h"
#include "framework/gdi_object.h"
#include "settings/conduit_settings.h"
#include "ui/section_label.h"

// Edits one Palm user's settings for one conduit (dialog 30738). Works on
// its own copy; only OK writes, all values at once.
class CConduitSettingsDlg : public Dialog {
public:
    CConduitSettingsDlg(const std::string& conduitKey, std::string user, HWND parent);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(DataExchange& exchange) override;
    bool OnCommand(WORD id, WORD notification, HWND control) override;
    void OnOK() override;

private:
    void ShowActionLabels();
    void EnableViewLog(bool enable);
    void ChooseDataFile();
    void EditActions();
    void OpenLog();
    void SetCaption();
    void MakeHeadersBold();

    std::string user_;
    int kind_;
    ConduitSettings settings_;
    int permanentAction_ = 0;
    int oneTimeAction_ = -1;
    CSectionLabel headers_[4];
    Font boldFont_;
};

// Runs the settings dialog for a conduit key ("date" / "todo") and Palm user.
void RunConduitSettingsDialog(const std::string& conduitKey, const std::string& user, HWND parent);
