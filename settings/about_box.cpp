#include "settings/about_box.h"

#include <string>

#include "bindings/shell_calls.h"
#include "common/format_text.h"
#include "common/os_class.h"
#include "common/product_strings.h"
#include "framework/application.h"
#include "resources/twpalmui_ids.h"

using product::GetProductString;

namespace {
const COLORREF kLinkColour = 0x00FF0000;  // blue
const int kFontPoints = 10;
}  // namespace

CAboutBox::CAboutBox(HWND parent) : Dialog(IDD_ABOUT, parent) {}

std::string CAboutBox::LinkAddress() {
    char query[128] = {};
    FormatText(query, sizeof query, GetProductString(product::kAboutQuery), "r");
    return std::string(GetProductString(product::kWebSite)) + query + GetProductString(product::kVersionLabel);
}

BOOL CAboutBox::OnInitDialog() {
    Dialog::OnInitDialog();
    linkLabel_ = Item(IDC_ABOUT_LINK);
    handCursor_.Reset(static_cast<HCURSOR>(
        LoadImageA(Application::Current().resources(), MAKEINTRESOURCEA(IDR_HAND_CURSOR), IMAGE_CURSOR, 0, 0, 0)));
    arrowCursor_ = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowBrush_.Reset(CreateSolidBrush(GetSysColor(COLOR_WINDOW)));
    SetItemText(IDC_ABOUT_VERSION, ItemText(IDC_ABOUT_VERSION) + GetProductString(product::kVersionNumber));
    MakeFonts();
    StretchRule(IDC_ABOUT_TOP_RULE);
    StretchRule(IDC_ABOUT_BOTTOM_RULE);
    SetItemText(IDC_ABOUT_LEGAL, LoadResString(IDS_LEGAL_WARNING));
    return TRUE;
}

void CAboutBox::MakeFonts() {
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(Item(IDC_ABOUT_TITLE), WM_GETFONT, 0, 0));
    LOGFONTA font = {};
    if (!dialogFont || GetObjectA(dialogFont, sizeof font, &font) != sizeof font) return;

    font.lfUnderline = TRUE;
    linkFont_.Reset(CreateFontIndirectA(&font));
    SendMessageA(Item(IDC_ABOUT_LINK), WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_.get()), FALSE);

    font.lfUnderline = FALSE;
    const ScreenDc screen(GetDC(nullptr));
    font.lfHeight = -MulDiv(kFontPoints, GetDeviceCaps(screen.get(), LOGPIXELSY), 72);
    versionFont_.Reset(CreateFontIndirectA(&font));
    SendMessageA(Item(IDC_ABOUT_VERSION), WM_SETFONT, reinterpret_cast<WPARAM>(versionFont_.get()), TRUE);

    font.lfWeight = FW_BOLD;
    const char* face = GetProductString(GetOsClass() == kOsVistaOrLater ? product::kFontFaceVista
                                                                        : product::kFontFaceClassic);
    lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
    titleFont_.Reset(CreateFontIndirectA(&font));
    SendMessageA(Item(IDC_ABOUT_TITLE), WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), TRUE);
}

// The rule keeps its left, top and height and reaches the box's right edge.
void CAboutBox::StretchRule(int id) {
    RECT box = {}, rule = {};
    HWND control = Item(id);
    if (!control || !GetWindowRect(hwnd(), &box) || !GetWindowRect(control, &rule)) return;
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&rule), 2);
    MoveWindow(control, rule.left, rule.top, box.right - box.left, rule.bottom - rule.top, TRUE);
}

bool CAboutBox::LinkUnder(LPARAM point) const {
    const POINT client = {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    return linkLabel_ && ChildWindowFromPoint(hwnd(), client) == linkLabel_;
}

LRESULT CAboutBox::OnControlColour(UINT message, HDC dc, HWND control) {
    const LRESULT defaultBrush = DefWindowProcA(hwnd(), message, reinterpret_cast<WPARAM>(dc),
                                                reinterpret_cast<LPARAM>(control));
    switch (GetDlgCtrlID(control)) {
    case IDC_ABOUT_LINK:
        SetTextColor(dc, kLinkColour);
        return defaultBrush;
    case IDC_ABOUT_TITLE:
    case IDC_ABOUT_VERSION:
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(windowBrush_.get());
    case IDC_ABOUT_BAND:
    case IDC_ABOUT_ICON:
        return reinterpret_cast<LRESULT>(windowBrush_.get());
    default:
        return defaultBrush;
    }
}

void CAboutBox::OnMouseMove(LPARAM point) {
    SetCursor(LinkUnder(point) || GetCapture() == hwnd() ? handCursor_.get() : arrowCursor_);
}

void CAboutBox::OnButtonUp(LPARAM point) {
    if (GetCapture() != hwnd()) return;
    ReleaseCapture();
    if (!LinkUnder(point)) return;
    OpenWithShell(LinkAddress());
}

void CAboutBox::ReleaseResources() {
    versionFont_.Reset();
    titleFont_.Reset();
    linkFont_.Reset();
    windowBrush_.Reset();
    handCursor_.Reset();
}

bool CAboutBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORBTN:
        *result = OnControlColour(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        return true;
    case WM_MOUSEMOVE:
        OnMouseMove(lParam);
        return true;
    case WM_SETCURSOR:
        if (LOWORD(lParam) != HTCLIENT || reinterpret_cast<HWND>(wParam) != hwnd()) return false;
        *result = TRUE;
        return true;
    case WM_LBUTTONDOWN:
        if (LinkUnder(lParam)) SetCapture(hwnd());
        return true;
    case WM_LBUTTONUP:
        OnButtonUp(lParam);
        return true;
    case WM_DESTROY:
        ReleaseResources();
        return false;
    case WM_SYSCOLORCHANGE:
        windowBrush_.Reset(CreateSolidBrush(GetSysColor(COLOR_WINDOW)));
        return false;
    default:
        return false;
    }
}

void ShowAboutBox(HWND parent) {
    CAboutBox about(parent);
    about.DoModal();
}
