#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// The Settings Summary: a text file in the temporary folder with the Windows
// version, the versions of our files, Almanor's, HotSync's and a few system
// libraries, and the product's and Palm Desktop's registry keys.
class CSummaryReport {
public:
    // Writes the whole summary to "summary-<thread id>.txt" in the temporary
    // folder, replacing an earlier one, and returns its full path. Empty when
    // there is no summary to show: the file cannot be created, or not even
    // the first line of a registry section could be written. Other failed
    // writes leave the file short and are not reported.
    std::string Save();
};

// Size of the buffer the ProductOptions "ProductType" text is read into.
constexpr size_t kProductTypeSize = 80;

// HKLM\SYSTEM\CurrentControlSet\Control\ProductOptions "ProductType"; false
// when it cannot be read or takes kProductTypeSize bytes or more.
bool ReadProductType(char (&productType)[kProductTypeSize]);

// What the summary writes after "Microsoft " for this version: productType
// is the text ReadProductType gave, null when it gave none.
std::string DescribeWindowsVersion(const OSVERSIONINFOA& version, const char* productType);
