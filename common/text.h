#pragma once

#include <cstddef>
#include <string>

// Small text helpers shared by both libraries.
//
// Text is ANSI in the user's code page, which may be a double-byte one (932,
// 936, 949, 950): there the second byte of a character can be any byte from
// 0x40 up, the backslash 0x5C and '|' among them. Everything here walks text
// character by character, so a byte is taken for a backslash, a dot or a
// separator only where it is a character of its own, and a text is cut only
// between characters.
namespace text {

// Equal letter by letter, ignoring case as the system upper-cases (names,
// paths, the ProductType text): never a linguistic match of different letters.
bool EqualsIgnoreCase(const std::string& a, const std::string& b);

// Bytes of the character that starts at offset i of a text of length bytes:
// 2 for a lead byte with a trail byte after it, else 1.
size_t CharSizeAt(const char* text, size_t length, size_t i);

// Offset of the last character that is the single byte c, or npos.
size_t FindLastChar(const std::string& text, char c);

// True when the last character of the text is a backslash of its own (not the
// second byte of a double-byte character).
bool EndsWithBackslash(const std::string& text);

// Removes one trailing backslash character, if there is one.
void DropTrailingBackslash(std::string* text);

// Each character that is one of the single bytes in `from` becomes `to`;
// the bytes of double-byte characters stay as they are.
void ReplaceChars(std::string* text, const char* from, char to);

// The length of the longest start of a zero-terminated text that holds at
// most maxBytes bytes and ends between two characters.
size_t CutLength(const char* text, size_t maxBytes);

// The part after the last backslash, or the whole text when there is none.
std::string FileNamePart(const std::string& path);

// A full program path ("...\HotSync.exe") becomes its folder; any text whose
// part from the last '.' on is not ".exe" stays whole.
std::string StripProgramName(const std::string& path);

// A string from a fixed buffer that a foreign library filled: never reads past
// the buffer, even when the terminating zero is missing.
std::string FromBuffer(const char* buffer, size_t capacity);

}  // namespace text
