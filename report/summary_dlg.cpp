#include "report/summary_dlg.h"

#include <cstdio>
#include <string>

#include "common/product_strings.h"
#include "report/mapi_mail.h"
#include "resources/twpalmui_ids.h"

namespace {

const char kFixedPitchFace[] = "Courier New";
// Far above the default limit of an edit box: the registry sections alone
// can run to megabytes.
const DWORD kTextLimit = 0x0FFFFFFF;
const char kUnreadable[] = "You can find the report at ";
const char kSubjectSuffix[] = " - Settings Summary";
const char kNotSent[] = "The summary was not sent. Please send the file\r\n\r\n'%s'\r\n\r\nto %s.";
const size_t kNotSentSize = 520;

class ReadHandle {
public:
    explicit ReadHandle(const char* path)
        : handle_(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr)) {}
    ~ReadHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    ReadHandle(const ReadHandle&) = delete;
    ReadHandle& operator=(const ReadHandle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// The file's text up to its first zero; false when it cannot be opened or
// read, or is too large for the text box.
bool ReadReport(const char* path, std::string* text) {
    if (!path || !*path) return false;
    const ReadHandle file(path);
    if (file.get() == INVALID_HANDLE_VALUE) return false;
    // SetFilePointer, not ...Ex: the library also loads on Windows 95 and NT 4.
    LONG high = 0;
    SetLastError(NO_ERROR);
    const DWORD size = SetFilePointer(file.get(), 0, &high, FILE_END);
    if ((size == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) || high != 0 || size > kTextLimit ||
        SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN) != 0) {
        return false;
    }
    std::string bytes(static_cast<size_t>(size) + 2, '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), &bytes[0], size, &read, nullptr)) return false;
    bytes[read < size ? read : size] = '\0';
    text->assign(bytes.c_str());
    return true;
}

}  // namespace

CSummaryDlg::CSummaryDlg(const char* path, HWND parent) : Dialog(IDD_SUMMARY, parent), path_(path) {}

BOOL CSummaryDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    SetFixedPitchFont();
    SendDlgItemMessageA(hwnd(), IDC_SUMMARY_TEXT, EM_LIMITTEXT, kTextLimit, 0);
    LoadReport();
    // The dialog manager puts the focus on the first tab stop, Send Report.
    return TRUE;
}

void CSummaryDlg::SetFixedPitchFont() {
    HWND text = Item(IDC_SUMMARY_TEXT);
    // The box's own font with another face: height and weight stay the dialog's.
    LOGFONTA logFont = {};
    HFONT current = reinterpret_cast<HFONT>(SendMessageA(text, WM_GETFONT, 0, 0));
    if (!current || !GetObjectA(current, sizeof logFont, &logFont)) {
        GetObjectA(GetStockObject(SYSTEM_FONT), sizeof logFont, &logFont);
    }
    lstrcpynA(logFont.lfFaceName, kFixedPitchFace, LF_FACESIZE);
    font_.Reset(CreateFontIndirectA(&logFont));
    if (font_) SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
}

void CSummaryDlg::LoadReport() {
    bool shown = false;
    try {
        std::string report;
        if (ReadReport(path_, &report)) {
            SetItemText(IDC_SUMMARY_TEXT, report);
            shown = true;
        }
    } catch (...) {
        shown = false;
    }
    if (!shown) SetItemText(IDC_SUMMARY_TEXT, std::string(kUnreadable) + (path_ ? path_ : ""));
}

bool CSummaryDlg::OnCommand(WORD id, WORD notification, HWND) {
    if (id != IDC_SUMMARY_COPY || notification != BN_CLICKED) return false;
    HWND text = Item(IDC_SUMMARY_TEXT);
    SendMessageA(text, EM_SETSEL, 0, -1);
    SendMessageA(text, WM_COPY, 0, 0);
    return true;
}

bool CSummaryDlg::SendReport() {
    const std::string body = ItemText(IDC_SUMMARY_TEXT);
    const std::string subject = std::string(product::GetProductString(product::kProductName)) + kSubjectSuffix;
    return SendMailMessage(hwnd(), product::kSupportMailAddress, product::kSupportMailAddress, subject.c_str(),
                           body.c_str());
}

void CSummaryDlg::ShowNotSent() {
    char message[kNotSentSize] = {};
    // The path is the caller's: cut the message rather than overrun the buffer.
    std::snprintf(message, kNotSentSize - 1, kNotSent, path_ ? path_ : "", product::kSupportMailAddress);
    MessageBoxA(hwnd(), message, product::GetProductString(product::kProductName),
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
}

void CSummaryDlg::OnOK() {
    bool sent = false;
    try {
        sent = SendReport();
    } catch (...) {
        sent = false;
    }
    if (!sent) ShowNotSent();
    Dialog::OnOK();
}
