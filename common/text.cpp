#include "common/text.h"

#include <windows.h>

namespace text {

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
    // Character by character: each upper-cased by the system, then the bytes
    // compared. A linguistic comparison would also equate "Stra\xDF" "e" with
    // "Strasse", another name and another folder.
    if (a.size() != b.size()) return false;
    std::string upperA = a;
    std::string upperB = b;
    if (!a.empty()) {
        CharUpperBuffA(&upperA[0], static_cast<DWORD>(upperA.size()));
        CharUpperBuffA(&upperB[0], static_cast<DWORD>(upperB.size()));
    }
    return upperA == upperB;
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
