#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>

// The Settings Summary: a text file in the temporary folder with the Windows
// version, the versions of our files, Almanor's, HotSync's and a few system
// libraries, and the product's and Palm Desktop's registry keys.
class CSummaryReport {
public:
    CSummaryReport() = default;
    virtual ~CSummaryReport();
    CSummaryReport(const CSummaryReport&) = delete;
    CSummaryReport& operator=(const CSummaryReport&) = delete;

    // Writes the whole summary to "summary-<thread id>.txt" in the temporary
    // folder, replacing an earlier one, and returns its full path: empty when
    // the file cannot be created, null when the buffer cannot be allocated.
    // A failed write of a registry section's first line leaves as an exception.
    const char* Save();

    // Appends wvsprintfA-formatted text to the buffer; one call adds at most
    // kMaxPrint - 1 characters, longer output is cut. Always 0.
    int Print(const char* format, ...);
    // Writes what waits in the buffer to the file. Write errors are ignored.
    void Flush();

    // The whole summary, through Print and straight to the file for the
    // registry sections. Always 1. Virtual so that tests can drive Save and
    // Print with content of their own.
    virtual int WriteContent();
    // "System Information", "Operation System" and the Windows line, which
    // ends without a line break.
    void WriteSystemInfo();
    // The version block of one module: a bare file name or a full path.
    void WriteModuleInfo(const char* name);

    static constexpr int kBufferSize = 4096;
    static constexpr int kFlushThreshold = 3072;
    // wvsprintfA's own limit, terminator included.
    static constexpr int kMaxPrint = 1024;

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::string path_;
    std::unique_ptr<char[]> buffer_;
    int fill_ = 0;
};

// Size of the buffer the ProductOptions "ProductType" text is read into.
constexpr size_t kProductTypeSize = 80;

// HKLM\SYSTEM\CurrentControlSet\Control\ProductOptions "ProductType"; false
// when it cannot be read or takes kProductTypeSize bytes or more.
bool ReadProductType(char (&productType)[kProductTypeSize]);

// What the summary writes after "Microsoft " for this version: productType
// is the text ReadProductType gave, null when it gave none.
std::string DescribeWindowsVersion(const OSVERSIONINFOA& version, const char* productType);
