#include "framework/gdi_object.h"

Font MakeBoldFont(HWND window) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    LOGFONTA description = {};
    if (!font || GetObjectA(font, sizeof description, &description) != sizeof description) return Font();
    description.lfWeight = FW_BOLD;
    return Font(CreateFontIndirectA(&description));
}
