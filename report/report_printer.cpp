#include "report/report_printer.h"

#include <windows.h>

#include <cstdarg>
#include <cstring>

// A flush happens once more than kFlushThreshold characters wait, so the
// room left is always enough for one full Print.
static_assert(ReportPrinter::kBufferSize - ReportPrinter::kFlushThreshold >= ReportPrinter::kMaxPrint,
              "one Print must always fit after the flush threshold");

void ReportPrinter::Print(const char* format, ...) {
    if (!format) return;
    if (fill_ > kFlushThreshold) Flush();
    char* at = buffer_ + fill_;
    va_list arguments;
    va_start(arguments, format);
    wvsprintfA(at, format, arguments);
    va_end(arguments);
    // Count what was stored rather than trust the result: cut output is
    // reported as 1024 by some systems, one more than it stored.
    fill_ += static_cast<int>(strnlen(at, kMaxPrint - 1));
}

void ReportPrinter::Flush() {
    if (fill_ <= 0) return;
    out_.Write(buffer_, static_cast<DWORD>(fill_));
    fill_ = 0;
}
