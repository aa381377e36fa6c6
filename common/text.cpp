#include "common/text.h"

#include <windows.h>

namespace text {

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
    // Character by character: each upper-cased by the system, then the bytes
    // compared. A linguistic comparison would also equate "Stra\xDF" "e" with
    // "Strasse", another name and another folder. The system upper-cases a
    // double-byte character as a whole, so no byte of one is changed alone.
    if (a.size() != b.size()) return false;
    std::string upperA = a;
    std::string upperB = b;
    if (!a.empty()) {
        CharUpperBuffA(&upperA[0], static_cast<DWORD>(upperA.size()));
        CharUpperBuffA(&upperB[0], static_cast<DWORD>(upperB.size()));
    }
    return upperA == upperB;
}

size_t CharSizeAt(const char* text, size_t length, size_t i) {
    if (i + 1 < length && text[i + 1] != '\0' && IsDBCSLeadByte(static_cast<BYTE>(text[i]))) return 2;
    return 1;
}

size_t FindLastChar(const std::string& text, char c) {
    size_t found = std::string::npos;
    for (size_t i = 0; i < text.size(); i += CharSizeAt(text.data(), text.size(), i)) {
        if (text[i] == c) found = i;
    }
    return found;
}

bool EndsWithBackslash(const std::string& text) {
    // From the start: only a forward walk knows where characters begin.
    size_t last = std::string::npos;
    for (size_t i = 0; i < text.size(); i += CharSizeAt(text.data(), text.size(), i)) last = i;
    return last != std::string::npos && last == text.size() - 1 && text[last] == '\\';
}

void DropTrailingBackslash(std::string* text) {
    if (EndsWithBackslash(*text)) text->pop_back();
}

void ReplaceChars(std::string* text, const char* from, char to) {
    for (size_t i = 0; i < text->size();) {
        const size_t size = CharSizeAt(text->data(), text->size(), i);
        if (size == 1) {
            for (const char* c = from; *c; ++c) {
                if ((*text)[i] != *c) continue;
                (*text)[i] = to;
                break;
            }
        }
        i += size;
    }
}

size_t CutLength(const char* text, size_t maxBytes) {
    if (!text) return 0;
    size_t length = 0;
    while (length < maxBytes && text[length] != '\0') {
        if (!IsDBCSLeadByte(static_cast<BYTE>(text[length]))) {
            ++length;
            continue;
        }
        // A lead byte: the trail byte is read only inside the limit, and a
        // lead byte without one (cut off, or at the end) is left out.
        if (length + 2 > maxBytes || text[length + 1] == '\0') break;
        length += 2;
    }
    return length;
}

std::string FileNamePart(const std::string& path) {
    const size_t slash = FindLastChar(path, '\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string StripProgramName(const std::string& path) {
    const size_t dot = FindLastChar(path, '.');
    if (dot == std::string::npos || !EqualsIgnoreCase(path.substr(dot), ".exe")) return path;
    const size_t slash = FindLastChar(path, '\\');
    return slash == std::string::npos ? path : path.substr(0, slash);
}

std::string FromBuffer(const char* buffer, size_t capacity) {
    size_t length = 0;
    while (length < capacity && buffer[length] != '\0') ++length;
    return std::string(buffer, length);
}

}  // namespace text
