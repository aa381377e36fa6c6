#pragma once

#include <string>

// Characters of the ANSI code page the process runs under, found by asking
// the system rather than from a table.
namespace testsupport {

// The character of the code page for one UTF-16 unit, empty when it has none.
std::string AnsiOf(wchar_t wide);

// Up to count double-byte characters of the ANSI code page whose second byte
// is 0x5C and that convert to UTF-16 and back unchanged.
std::string CharsEndingInBackslashByte(int count);

// The characters the names of a code-page run end in: two whose second byte
// is 0x5C where the code page has such, else Hangul GA and e acute, whichever
// it has.
std::string NativeChars();

}  // namespace testsupport
