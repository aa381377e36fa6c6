#include "settings/conduit_settings_dlg.h"

#include <cderr.h>
#include <commdlg.h>

#include <utility>

#include "bindings/shell_calls.h"
#include "common/text.h"
#include "framework/application.h"
#include "framework/data_exchange.h"
#include "framework/window_text.h"
#include "resources/twpalmui_ids.h"
#include "settings/almanor_paths.h"
#include "settings/conduit_kind.h"
#include "settings/file_checks.h"
#include "settings/hotsync_action.h"
#include "settings/hotsync_action_dlg.h"
#include "ui/messages.h"

namespace {

const int kHeaderIds[] = {IDC_SETTINGS_HEADER, IDC_SETTINGS_ACTION_HEADER, IDC_SETTINGS_CONFLICTS_HEADER,
                          IDC_SETTINGS_FILTERS_HEADER};
const int kConflictChoices = 3;
const DWORD kOpenFlags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_SHAREAWARE;
const DWORD kErrorNotEnoughMemory = 14;
const DWORD kErrorInvalidName = 123;

}  // namespace

CConduitSettingsDlg::CConduitSettingsDlg(const std::string& conduitKey, std::string user, HWND parent)
    : Dialog(IDD_CONDUIT_SETTINGS, parent), user_(std::move(user)),
      kind_(ConduitKindOfKey(conduitKey) == kToDoList ? kToDoList : kDateBook) {}

BOOL CConduitSettingsDlg::OnInitDialog() {
    settings_ = LoadConduitSettings(user_, kind_);
    permanentAction_ = settings_.permanentAction;
    oneTimeAction_ = settings_.oneTimeAction;
    Dialog::OnInitDialog();
    SetItemText(IDC_SETTINGS_USER, user_);
    ShowActionLabels();
    EnableViewLog(FileExists(BuildLogFileName(settings_.dataFile, kind_, user_)));
    SetCaption();
    MakeHeadersBold();
    return TRUE;
}

void CConduitSettingsDlg::DoDataExchange(DataExchange& exchange) {
    for (int i = 0; i < 4; ++i) exchange.Control(kHeaderIds[i], headers_[i]);
    exchange.Text(IDC_SETTINGS_FILE, settings_.dataFile);
    exchange.Check(IDC_SETTINGS_HIDDEN, settings_.syncHidden);
    exchange.Check(IDC_SETTINGS_PRIVATE, settings_.syncPrivate);
    exchange.Radio(IDC_SETTINGS_DUPLICATE, kConflictChoices, settings_.conflicts);
    if (exchange.saving() && settings_.conflicts < 0) settings_.conflicts = 0;
}

void CConduitSettingsDlg::ShowActionLabels() {
    SetItemText(IDC_SETTINGS_PERMANENT, GetActionText(permanentAction_));
    SetItemText(IDC_SETTINGS_ONE_TIME, GetActionText(oneTimeAction_ == kNoOneTimeAction ? permanentAction_
                                                                                        : oneTimeAction_));
}

void CConduitSettingsDlg::EnableViewLog(bool enable) { EnableWindow(Item(IDC_SETTINGS_VIEW_LOG), enable); }

void CConduitSettingsDlg::SetCaption() {
    SetWindowTextA(hwnd(), (WindowText(hwnd()) + LoadResString(ConduitNameStringId(kind_))).c_str());
}

void CConduitSettingsDlg::MakeHeadersBold() {
    boldFont_ = MakeBoldFont(hwnd());
    if (!boldFont_) return;
    for (int id : kHeaderIds) SendMessageA(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), TRUE);
}

bool CConduitSettingsDlg::OnCommand(WORD id, WORD, HWND) {
    switch (id) {
    case IDC_SETTINGS_BROWSE:
        ChooseDataFile();
        return true;
    case IDC_SETTINGS_CHANGE:
        EditActions();
        return true;
    case IDC_SETTINGS_VIEW_LOG:
        OpenLog();
        return true;
    default:
        return false;
    }
}

void CConduitSettingsDlg::ChooseDataFile() {
    std::string filter = LoadResString(IDS_OPEN_FILTER);
    // '|' may also be the second byte of a double-byte character.
    text::ReplaceChars(&filter, "|", '\0');
    const std::string title = LoadResString(IDS_OPEN_TITLE);
    const std::string extension = LoadResString(IDS_OPEN_EXTENSION);
    const std::string initialFolder = GetAlmanorDataDir();
    char file[MAX_PATH] = {};
    OPENFILENAMEA open = {};
    // The size every Windows version accepts.
    open.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    open.hwndOwner = hwnd();
    open.lpstrFilter = filter.c_str();
    open.nFilterIndex = 1;
    open.lpstrFile = file;
    open.nMaxFile = MAX_PATH;
    open.lpstrInitialDir = initialFolder.c_str();
    open.lpstrTitle = title.c_str();
    open.lpstrDefExt = extension.c_str();
    open.Flags = kOpenFlags;
    DWORD error = 0;
    if (ShowOpenFileDialog(&open, &error)) {
        SetItemText(IDC_SETTINGS_FILE, file);
        EnableViewLog(FileExists(file) && FileExists(BuildLogFileName(file, kind_, user_)));
        return;
    }
    if (error == CDERR_DIALOGFAILURE) ReportError(kErrorNotEnoughMemory, hwnd());
    if (error == FNERR_INVALIDFILENAME) ReportError(kErrorInvalidName, hwnd());
}

void CConduitSettingsDlg::EditActions() {
    CHotSyncActionDlg actions(hwnd());
    actions.permanentAction = permanentAction_;
    actions.oneTimeAction = oneTimeAction_;
    if (actions.DoModal() != IDOK) return;
    permanentAction_ = actions.permanentAction;
    oneTimeAction_ = actions.oneTimeAction;
    ShowActionLabels();
}

void CConduitSettingsDlg::OpenLog() {
    const std::string log = BuildLogFileName(ItemText(IDC_SETTINGS_FILE), kind_, user_);
    OpenWithShell(log);
}

void CConduitSettingsDlg::OnOK() {
    const std::string dataFile = ItemText(IDC_SETTINGS_FILE);
    if (dataFile.empty() || !FileExists(dataFile)) {
        ShowWarning(LoadResString(IDS_SELECT_DATA_FILE), hwnd());
        return;
    }
    UpdateData(true);
    settings_.permanentAction = permanentAction_;
    settings_.oneTimeAction = oneTimeAction_;
    SaveConduitSettings(user_, kind_, settings_);
    Dialog::OnOK();
}

void RunConduitSettingsDialog(const std::string& conduitKey, const std::string& user, HWND parent) {
    CConduitSettingsDlg dialog(conduitKey, user, parent);
    dialog.DoModal();
}
