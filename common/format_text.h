#pragma once

#include <cstddef>

// printf-style text into a fixed buffer through the system C runtime's own
// formatter (msvcrt's _vsnprintf), which every supported Windows has: the
// libraries carry no formatter of their own. Never writes past size bytes and
// always ends the text with a zero, cutting what does not fit. Returns the
// length of the text stored.
int FormatText(char* buffer, size_t size, const char* format, ...) noexcept;
