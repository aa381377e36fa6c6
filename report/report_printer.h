#pragma once

#include "report/file_writer.h"

// Formatted text for the summary file, gathered in a buffer and handed to a
// file writer in blocks of about kFlushThreshold characters.
class ReportPrinter {
public:
    explicit ReportPrinter(FileWriter& out) : out_(out) {}
    ReportPrinter(const ReportPrinter&) = delete;
    ReportPrinter& operator=(const ReportPrinter&) = delete;

    // Appends wvsprintfA-formatted text; one call adds at most kMaxPrint - 1
    // characters, longer output is cut.
    void Print(const char* format, ...);
    // Hands what waits in the buffer to the writer.
    void Flush();

    static constexpr int kBufferSize = 4096;
    static constexpr int kFlushThreshold = 3072;
    // wvsprintfA's own limit, terminator included.
    static constexpr int kMaxPrint = 1024;

private:
    FileWriter& out_;
    char buffer_[kBufferSize] = {};
    int fill_ = 0;
};
