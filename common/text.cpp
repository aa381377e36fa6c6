#include "common/text.h"

#include <windows.h>

namespace text {

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()),
                          b.c_str(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

std::string FileNamePart(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string StripProgramName(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || !EqualsIgnoreCase(path.substr(dot), ".exe")) return path;
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(0, slash);
}

std::string FromBuffer(const char* buffer, size_t capacity) {
    size_t length = 0;
    while (length < capacity && buffer[length] != '\0') ++length;
    return std::string(buffer, length);
}

}  // namespace text
