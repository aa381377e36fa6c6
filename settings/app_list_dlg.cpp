#include "settings/app_list_dlg.h"

#include <algorithm>
#include <string>
#include <utility>

#include "common/registry_names.h"
#include "framework/application.h"
#include "resources/twpalmui_ids.h"
#include "settings/component_check.h"
#include "settings/conduit_kind.h"
#include "settings/conduit_settings.h"
#include "settings/conduit_settings_dlg.h"

CAppListDlg::CAppListDlg(std::string user, HWND parent) : Dialog(IDD_APP_LIST, parent), user_(std::move(user)) {}

BOOL CAppListDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    HWND list = Item(IDC_APPS_LIST);
    // The list sorts: "Date Book" is item 0 and "To Do List" item 1, so an
    // item's index is its conduit kind.
    for (int kind : {kDateBook, kToDoList}) {
        const std::string name = LoadResString(ConduitNameStringId(kind));
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    const int last = static_cast<int>(
        Application::Current().profile().GetInt(UserSection(user_).c_str(), regnames::kLastConduitValue, 0));
    SendMessageA(list, LB_SETCURSEL, std::min(std::max(last, 0), count - 1), 0);
    SetItemText(IDC_APPS_USER, user_);
    PlaceAboveParentBottom();
    return TRUE;
}

// Centred horizontally on the parent, its bottom on the parent's bottom.
void CAppListDlg::PlaceAboveParentBottom() {
    RECT own = {}, parentRect = {};
    if (!parent() || !GetWindowRect(parent(), &parentRect) || !GetWindowRect(hwnd(), &own)) return;
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    const int left = parentRect.left + ((parentRect.right - parentRect.left) - width) / 2;
    SetWindowPos(hwnd(), nullptr, left, parentRect.bottom - height, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void CAppListDlg::OpenConduitSettings() {
    const int selection = static_cast<int>(SendDlgItemMessageA(hwnd(), IDC_APPS_LIST, LB_GETCURSEL, 0, 0));
    if (!IsConduitKind(selection)) return;
    CheckConduitComponent(selection, hwnd());
    Application::Current().profile().WriteInt(UserSection(user_).c_str(), regnames::kLastConduitValue,
                                              static_cast<DWORD>(selection));
    HWND userList = parent();
    EndDialog(IDCANCEL);
    RunConduitSettingsDialog(ConduitKey(selection), user_, userList);
}

bool CAppListDlg::OnCommand(WORD id, WORD notification, HWND) {
    if (id == IDC_APPS_CHANGE || (id == IDC_APPS_LIST && notification == LBN_DBLCLK)) {
        OpenConduitSettings();
        return true;
    }
    return false;
}
