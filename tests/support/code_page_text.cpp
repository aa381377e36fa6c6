#include "tests/support/code_page_text.h"

#include <windows.h>

namespace testsupport {

std::string AnsiOf(wchar_t wide) {
    char bytes[8] = {};
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, 0, &wide, 1, bytes, sizeof bytes, nullptr, &usedDefault);
    return length > 0 && !usedDefault ? std::string(bytes, static_cast<size_t>(length)) : "";
}

std::string CharsEndingInBackslashByte(int count) {
    std::string found;
    for (int lead = 0x81; lead <= 0xFE && count > 0; ++lead) {
        if (!IsDBCSLeadByte(static_cast<BYTE>(lead))) continue;
        const char pair[2] = {static_cast<char>(lead), '\\'};
        WCHAR wide[2] = {};
        if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, pair, 2, wide, 2) != 1) continue;
        if (wide[0] < 0x100 || (wide[0] >= 0xE000 && wide[0] < 0xF900)) continue;  // not one character, or private
        if (AnsiOf(wide[0]) != std::string(pair, 2)) continue;
        found.append(pair, 2);
        --count;
    }
    return found;
}

std::string NativeChars() {
    const std::string backslashBytes = CharsEndingInBackslashByte(2);
    if (!backslashBytes.empty()) return backslashBytes;
    return AnsiOf(0xAC00) + AnsiOf(0x00E9);
}

}  // namespace testsupport
