#include "framework/window_text.h"

std::string WindowText(HWND window) {
    if (!window) return "";
    // The length may count more than the text holds (DBCS): keep what was copied.
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(window, &text[0], length + 1);
    text.resize(lstrlenA(text.c_str()));
    return text;
}
