#include "settings/hotsync_action_dlg.h"

#include "framework/data_exchange.h"
#include "resources/twpalmui_ids.h"
#include "settings/hotsync_action.h"

namespace {
const int kActionCount = kDoNothing + 1;
}

CHotSyncActionDlg::CHotSyncActionDlg(HWND parent) : Dialog(IDD_HOTSYNC_ACTION, parent) {}

BOOL CHotSyncActionDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    // Unchecking a radio button takes its tab stop away: a group with no
    // action chosen (the one-time group, usually) keeps one on its first
    // button, or Tab would never reach it.
    for (int first : {IDC_ACTION_PERMANENT_FIRST, IDC_ACTION_ONE_TIME_FIRST}) {
        bool anyChecked = false;
        for (int i = 0; i < kActionCount; ++i) anyChecked = anyChecked || IsDlgButtonChecked(hwnd(), first + i);
        if (anyChecked) continue;
        HWND button = Item(first);
        SetWindowLongPtrA(button, GWL_STYLE, GetWindowLongPtrA(button, GWL_STYLE) | WS_TABSTOP);
    }
    boldFont_ = MakeBoldFont(hwnd());
    if (boldFont_) {
        for (int id : {IDC_ACTION_PERMANENT_GROUP, IDC_ACTION_ONE_TIME_GROUP}) {
            SendMessageA(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), TRUE);
        }
    }
    return TRUE;
}

void CHotSyncActionDlg::DoDataExchange(DataExchange& exchange) {
    exchange.Radio(IDC_ACTION_PERMANENT_FIRST, kActionCount, permanentAction);
    exchange.Radio(IDC_ACTION_ONE_TIME_FIRST, kActionCount, oneTimeAction);
}

void CHotSyncActionDlg::OnOK() {
    UpdateData(true);
    Dialog::OnOK();
}
