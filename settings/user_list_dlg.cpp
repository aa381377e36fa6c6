#include "settings/user_list_dlg.h"

#include <string>

#include "common/registry_names.h"
#include "common/text.h"
#include "framework/application.h"
#include "report/summary_command.h"
#include "resources/twpalmui_ids.h"
#include "settings/app_list_dlg.h"
#include "bindings/user_manager.h"
#include "settings/about_box.h"

namespace {

std::string ListItemText(HWND list, int index) {
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR) return "";
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    return text;
}

}  // namespace

CUserListDlg::CUserListDlg(HWND parent) : Dialog(IDD_USER_LIST, parent) {}

BOOL CUserListDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    AddSummaryMenuItem();
    SetIcons();
    FillUsers();
    SelectLastUser();
    return TRUE;
}

void CUserListDlg::AddSummaryMenuItem() {
    HMENU menu = GetSystemMenu(hwnd(), FALSE);
    const std::string label = LoadResString(IDS_SUMMARY_MENU);
    if (!menu || label.empty()) return;
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, IDM_SUMMARY, label.c_str());
}

void CUserListDlg::SetIcons() {
    HMODULE module = Application::Current().resources();
    smallIcon_.Reset(static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(IDI_PRODUCT), IMAGE_ICON, 16, 16, 0)));
    largeIcon_.Reset(static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(IDI_PRODUCT), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0)));
    SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_.get()));
}

void CUserListDlg::FillUsers() {
    UserManager userManager;
    if (userManager.Load()) {
        for (const std::string& user : userManager.ListPalmUsers()) {
            SendDlgItemMessageA(hwnd(), IDC_USERS_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(user.c_str()));
        }
    } else {
        MessageBoxA(hwnd(), LoadResString(IDS_NO_PALM_DESKTOP).c_str(), LoadResString(IDS_CAPTION).c_str(),
                    MB_TOPMOST | MB_ICONWARNING);
    }
}

void CUserListDlg::SelectLastUser() {
    HWND list = Item(IDC_USERS_LIST);
    const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    if (count <= 0) {
        EnableWindow(Item(IDC_USERS_SETTINGS), FALSE);
        return;
    }
    const std::string last =
        Application::Current().profile().GetString(regnames::kUsersSection, regnames::kLastUserValue, "");
    int selection = 0;
    for (int i = 0; !last.empty() && i < count; ++i) {
        if (text::EqualsIgnoreCase(ListItemText(list, i), last)) {
            selection = i;
            break;
        }
    }
    SendMessageA(list, LB_SETCURSEL, selection, 0);
}

void CUserListDlg::OpenAppList() {
    HWND list = Item(IDC_USERS_LIST);
    const int selection = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
    if (selection == LB_ERR) return;
    const std::string user = ListItemText(list, selection);
    Application::Current().profile().WriteString(regnames::kUsersSection, regnames::kLastUserValue, user);
    CAppListDlg appList(user, hwnd());
    appList.DoModal();
}

bool CUserListDlg::OnCommand(WORD id, WORD notification, HWND) {
    if (id == IDC_USERS_SETTINGS || (id == IDC_USERS_LIST && notification == LBN_DBLCLK)) {
        OpenAppList();
        return true;
    }
    if (id == IDC_USERS_ABOUT) {
        ShowAboutBox(hwnd());
        return true;
    }
    return false;
}

bool CUserListDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
    if (message != WM_SYSCOMMAND || (wParam & 0xFFF0) != IDM_SUMMARY) return false;
    try {
        RunSettingsSummary(hwnd());
    } catch (...) {
        // A failed summary leaves the user list as it was.
    }
    *result = 0;
    return true;
}
