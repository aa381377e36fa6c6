#include "report/summary_command.h"

#include <string>

#include "report/summary_dlg.h"
#include "report/summary_report.h"

void RunSettingsSummary(HWND userList) {
    const std::string path = CSummaryReport().Save();
    // No file, no summary: the user list stays as it was, without a word.
    if (path.empty()) return;
    CSummaryDlg dialog(path.c_str(), userList);
    dialog.DoModal();
}
