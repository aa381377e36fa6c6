#include "common/product_strings.h"

namespace product {

const char kSupportMailAddress[] = "support@tidewell.example.com";

namespace {

const char* const kTable[kProductStringCount] = {
    "Quillon Software",              // 0
    "Tidewell for Palm",             // 1
    "1.5r",                          // 2
    "1.5",                           // 3
    "http://www.tidewell.example.com", // 4
    "",                              // 5
    "/palm/?src=about%s&version=",   // 6
    "", "",                          // 7, 8
    "Common",                        // 9
    "", "", "", "", "", "", "", "", "", // 10 - 18
    "Segoe UI",                      // 19
    "Tahoma",                        // 20
    "SOFTWARE",                      // 21
    "Install",                       // 22
    "Users",                         // 23
    "",                              // 24
    "Path",                          // 25
    "PDPath",                        // 26
    "DDIR",                          // 27
    "Data",                          // 28
    "Almanor",                       // 29
    "Orvelle",                       // 30
    "",                              // 31
    "",                              // 32
};

}  // namespace

const char* GetProductString(int index) {
    // Unsigned comparison also sends negative indexes to the empty entry.
    if (static_cast<unsigned>(index) > static_cast<unsigned>(kEmpty)) index = kEmpty;
    return kTable[index];
}

}  // namespace product
