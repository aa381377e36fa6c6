#pragma once

#include <string>

// Small text helpers shared by both libraries.
namespace text {

// Equal letter by letter, ignoring case as the system upper-cases (names,
// paths, the ProductType text): never a linguistic match of different letters.
bool EqualsIgnoreCase(const std::string& a, const std::string& b);

// The part after the last backslash, or the whole text when there is none.
std::string FileNamePart(const std::string& path);

// A full program path ("...\HotSync.exe") becomes its folder; any text whose
// part from the last '.' on is not ".exe" stays whole.
std::string StripProgramName(const std::string& path);

// A string from a fixed buffer that a foreign library filled: never reads past
// the buffer, even when the terminating zero is missing.
std::string FromBuffer(const char* buffer, size_t capacity);

}  // namespace text
