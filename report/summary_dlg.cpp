#include "report/summary_dlg.h"

#include <memory>
#include <new>
#include <string>

#include "common/format_text.h"
#include "common/product_strings.h"
#include "common/unique_handle.h"
#include "framework/application.h"
#include "report/mapi_mail.h"
#include "resources/twpalmui_ids.h"

namespace {

const char kFixedPitchFace[] = "Courier New";
// Far above the default limit of an edit box: the registry sections alone
// can run to megabytes.
const DWORD kTextLimit = 0x0FFFFFFF;
const size_t kNotSentSize = 520;
const size_t kSubjectSize = 520;

// The file's text up to its first zero; null when it cannot be opened or
// read, is too large for the text box, or no room can be had for it.
std::unique_ptr<char[]> ReadReport(const char* path) {
    if (!path || !*path) return nullptr;
    const FileHandle file(
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    // SetFilePointer, not ...Ex: the library also loads on Windows 95 and NT 4.
    LONG high = 0;
    SetLastError(NO_ERROR);
    const DWORD size = SetFilePointer(file.get(), 0, &high, FILE_END);
    if ((size == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) || high != 0 || size > kTextLimit ||
        SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN) != 0) {
        return nullptr;
    }
    std::unique_ptr<char[]> text(new (std::nothrow) char[static_cast<size_t>(size) + 2]());
    if (!text) return nullptr;
    DWORD read = 0;
    if (!ReadFile(file.get(), text.get(), size, &read, nullptr)) return nullptr;
    text[read < size ? read : size] = '\0';
    return text;
}

// A window's whole text; null when no room can be had for it.
std::unique_ptr<char[]> WindowTextOf(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::unique_ptr<char[]> text(new (std::nothrow) char[static_cast<size_t>(length) + 1]());
    if (text) GetWindowTextA(window, text.get(), length + 1);
    return text;
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
    const std::unique_ptr<char[]> report = ReadReport(path_);
    if (report) {
        SetDlgItemTextA(hwnd(), IDC_SUMMARY_TEXT, report.get());
    } else {
        SetItemText(IDC_SUMMARY_TEXT, LoadResString(IDS_SUMMARY_UNREADABLE) + (path_ ? path_ : ""));
    }
}

bool CSummaryDlg::OnCommand(WORD id, WORD notification, HWND) {
    if (id != IDC_SUMMARY_COPY || notification != BN_CLICKED) return false;
    HWND text = Item(IDC_SUMMARY_TEXT);
    SendMessageA(text, EM_SETSEL, 0, -1);
    SendMessageA(text, WM_COPY, 0, 0);
    return true;
}

// Sending, and saying that the report was not sent, take no memory beyond
// the copies of the report: without it, the user still learns where the file is.
bool CSummaryDlg::SendReport() {
    const std::unique_ptr<char[]> body = WindowTextOf(Item(IDC_SUMMARY_TEXT));
    if (!body) return false;
    char format[kSubjectSize] = {};
    LoadResText(IDS_SUMMARY_SUBJECT, format, sizeof format);
    char subject[kSubjectSize] = {};
    FormatText(subject, sizeof subject, format, product::GetProductString(product::kProductName));
    return SendMailMessage(hwnd(), product::kSupportMailAddress, product::kSupportMailAddress, subject, body.get());
}

void CSummaryDlg::ShowNotSent() {
    char format[kNotSentSize] = {};
    LoadResText(IDS_SUMMARY_NOT_SENT, format, sizeof format);
    char message[kNotSentSize] = {};
    // The path is the caller's: cut the message rather than overrun the buffer.
    FormatText(message, kNotSentSize - 1, format, path_ ? path_ : "", product::kSupportMailAddress);
    MessageBoxA(hwnd(), message, product::GetProductString(product::kProductName),
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
}

void CSummaryDlg::OnOK() {
    bool sent = false;
    try {
        sent = SendReport();
    } catch (...) {
        // Out of memory on the way: not sent, and said so below.
    }
    if (!sent) ShowNotSent();
    Dialog::OnOK();
}
