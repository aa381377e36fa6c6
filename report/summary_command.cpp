#include "report/summary_command.h"

#include <string>

#include "report/summary_dlg.h"
#include "report/summary_report.h"

void RunSettingsSummary(HWND userList) {
    try {
        CSummaryReport report;
        const char* saved = report.Save();
        const std::string path = saved ? saved : "";
        // No file, no summary: the user list stays as it was, without a word.
        if (path.empty()) return;
        CSummaryDlg dialog(path.c_str(), userList);
        dialog.DoModal();
    } catch (...) {
        // Whatever went wrong, the user list carries on.
    }
}
