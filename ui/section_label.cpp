#include "ui/section_label.h"

#include <string>

#include "common/text.h"
#include "framework/gdi_object.h"

namespace {

int TitleWidth(HDC dc, const char* title) {
    // Without the mnemonic marks; a byte '&' inside a double-byte character stays.
    const std::string whole = title;
    std::string visible;
    for (size_t i = 0; i < whole.size();) {
        const size_t size = text::CharSizeAt(whole.data(), whole.size(), i);
        if (size > 1 || whole[i] != '&') visible.append(whole, i, size);
        i += size;
    }
    SIZE extent = {};
    GetTextExtentPoint32A(dc, visible.c_str(), static_cast<int>(visible.size()), &extent);
    return extent.cx;
}

std::wstring Widen(const char* text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(length > 0 ? static_cast<size_t>(length) : 1, L'\0');
    if (length > 0) MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
    return wide;
}

}  // namespace

CSectionLabel::CSectionLabel() : CSectionLabel(ApplicationThemes()) {}

CSectionLabel::CSectionLabel(const ThemeApi& themes) : themes_(themes) {}

CSectionLabel::~CSectionLabel() { CloseTheme(); }

void CSectionLabel::OnAttach() {
    const LONG_PTR exStyle = GetWindowLongPtrA(hwnd(), GWL_EXSTYLE);
    if (exStyle & WS_EX_STATICEDGE) SetWindowLongPtrA(hwnd(), GWL_EXSTYLE, exStyle & ~WS_EX_STATICEDGE);
    OpenTheme();
}

void CSectionLabel::OpenTheme() {
    if (!themes_.Enabled()) return;
    theme_ = themes_.OpenThemeData(hwnd(), L"window");
}

void CSectionLabel::CloseTheme() {
    if (!theme_) return;
    themes_.CloseThemeData(theme_);
    theme_ = nullptr;
}

LRESULT CSectionLabel::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_SETTEXT:
        Default(message, wParam, lParam);
        InvalidateRect(hwnd(), nullptr, TRUE);
        return TRUE;
    case WM_DESTROY: {
        const LRESULT result = Default(message, wParam, lParam);
        CloseTheme();
        return result;
    }
    case WM_ENABLE: {
        // The static control paints its own look on this (Wine's at once,
        // outside WM_PAINT): paint the header over it.
        const LRESULT result = Default(message, wParam, lParam);
        InvalidateRect(hwnd(), nullptr, TRUE);
        return result;
    }
    case WM_THEMECHANGED:
        CloseTheme();
        OpenTheme();
        return 0;
    default:
        return Default(message, wParam, lParam);
    }
}

void CSectionLabel::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd(), &paint);
    char title[128] = {};
    GetWindowTextA(hwnd(), title, sizeof title);
    RECT client = {};
    GetClientRect(hwnd(), &client);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(hwnd(), WM_GETFONT, 0, 0));
    HGDIOBJ previousFont = font ? SelectObject(dc, font) : nullptr;
    const int titleWidth = TitleWidth(dc, title);
    DrawTitle(dc, client, title);
    if (previousFont) SelectObject(dc, previousFont);
    DrawRule(dc, titleWidth, client);
    EndPaint(hwnd(), &paint);
}

void CSectionLabel::DrawTitle(HDC dc, const RECT& client, const char* title) {
    if (theme_) {
        themes_.DrawThemeParentBackground(hwnd(), dc, &client);
        const std::wstring wide = Widen(title);
        themes_.DrawThemeText(theme_, dc, kDialogPart, 0, wide.c_str(), -1, 0, 0, &client);
        return;
    }
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    RECT textRect = client;
    if (IsWindowEnabled(hwnd())) {
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        DrawTextA(dc, title, -1, &textRect, DT_SINGLELINE);
        return;
    }
    // Embossed: a highlight copy one pixel down and right, the shadow copy on top.
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    OffsetRect(&textRect, 1, 1);
    DrawTextA(dc, title, -1, &textRect, DT_SINGLELINE);
    SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    SetBkMode(dc, TRANSPARENT);
    textRect = client;
    DrawTextA(dc, title, -1, &textRect, DT_SINGLELINE);
}

void CSectionLabel::DrawRule(HDC dc, int titleWidth, const RECT& client) {
    const int y = client.bottom / 2;
    const int x0 = titleWidth + kRuleGap;
    const int right = client.right;
    Pen highlight(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT)));
    Pen shadow(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
    HGDIOBJ previousPen = SelectObject(dc, highlight.get());
    MoveToEx(dc, x0, y + 2, nullptr);
    LineTo(dc, right, y + 2);
    LineTo(dc, right, y);
    SelectObject(dc, shadow.get());
    MoveToEx(dc, x0, y + 1, nullptr);
    LineTo(dc, right, y + 1);
    SelectObject(dc, previousPen);
}
