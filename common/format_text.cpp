#include "common/format_text.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

int FormatText(char* buffer, size_t size, const char* format, ...) noexcept {
    if (!buffer || size == 0) return 0;
    va_list arguments;
    va_start(arguments, format);
    // _vsnprintf leaves the text unterminated when it fills the room given.
    const int length = _vsnprintf(buffer, size - 1, format, arguments);
    va_end(arguments);
    buffer[size - 1] = '\0';
    return length >= 0 ? length : lstrlenA(buffer);
}
