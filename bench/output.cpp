#include "bench/output.h"

#include <cstdarg>
#include <cstdio>

namespace bench {

namespace {

int g_failures = 0;

void Line(const char* tag, const char* format, va_list arguments) {
    std::printf("%s ", tag);
    std::vprintf(format, arguments);
    std::printf("\n");
    std::fflush(stdout);
}

}  // namespace

void Sample(const char* figure, double value) {
    std::printf("S %s %.3f\n", figure, value);
    std::fflush(stdout);
}

void Note(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    Line("N", format, arguments);
    va_end(arguments);
}

void Fail(const char* format, ...) {
    ++g_failures;
    va_list arguments;
    va_start(arguments, format);
    Line("E", format, arguments);
    va_end(arguments);
}

int Failures() { return g_failures; }

}  // namespace bench
