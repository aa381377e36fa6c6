#pragma once

#include <windows.h>

#include <string>

#include "framework/dialog.h"
#include "framework/gdi_object.h"
#include "framework/icon.h"

// The About box (dialog 5101): the product's name, version and icon on a
// window-coloured strip, a notice, the legal warning and a link to the web site.
class CAboutBox : public Dialog {
public:
    explicit CAboutBox(HWND parent);

    // The address the link opens: web site + "/palm/?src=aboutr&version=1.5r".
    static std::string LinkAddress();

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    void MakeFonts();
    void StretchRule(int id);
    bool LinkUnder(LPARAM point) const;
    LRESULT OnControlColour(UINT message, HDC dc, HWND control);
    void OnMouseMove(LPARAM point);
    void OnButtonUp(LPARAM point);
    void ReleaseResources();

    HWND linkLabel_ = nullptr;
    Font versionFont_;
    Font titleFont_;
    Font linkFont_;
    OwnedCursor handCursor_;
    HCURSOR arrowCursor_ = nullptr;
    Brush windowBrush_;
};

// Shows the About box modally over parent.
void ShowAboutBox(HWND parent);
