#include "common/product_strings.h"

#include "common/registry_names.h"
#include "tw_version.h"

namespace product {

const char kSupportMailAddress[] = "support@tidewell.example.com";

namespace {

const char* const kTable[kProductStringCount] = {
    regnames::kCompanyKey,           // 0
    "Tidewell for Palm",             // 1
    TW_VERSION_TEXT "r",             // 2
    TW_VERSION_TEXT,                 // 3
    "http://www.tidewell.example.com", // 4
    "",                              // 5
    "/palm/?src=about%s&version=",   // 6
    "", "",                          // 7, 8
    regnames::kCommonKey,            // 9
    "", "", "", "", "", "", "", "", "", // 10 - 18
    "Segoe UI",                      // 19
    "Tahoma",                        // 20
    regnames::kSoftwareKey,          // 21
    regnames::kInstallKey,           // 22
    regnames::kUsersSection,         // 23
    "",                              // 24
    regnames::kPathValue,            // 25
    regnames::kPalmDesktopPathValue, // 26
    regnames::kDataDirValue,         // 27
    "Data",                          // 28
    regnames::kCalendarKey,          // 29
    regnames::kProductKey,           // 30
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
