#pragma once

// The read-only product constants both libraries carry, read by index.
namespace product {

enum ProductString : int {
    kCompanyName = 0,          // "Quillon Software"
    kProductName = 1,          // "Tidewell for Palm"
    kVersionLabel = 2,         // the version number and "r"
    kVersionNumber = 3,        // the version number of the build
    kWebSite = 4,
    kAboutQuery = 6,           // "/palm/?src=about%s&version="
    kCommonKey = 9,            // "Common"
    kFontFaceVista = 19,       // "Segoe UI"
    kFontFaceClassic = 20,     // "Tahoma"
    kSoftwareKey = 21,         // "SOFTWARE"
    kInstallKey = 22,          // "Install"
    kUsersSection = 23,        // "Users"
    kPathValue = 25,           // "Path"
    kPalmDesktopPathValue = 26,// "PDPath"
    kDataDirValue = 27,        // "DDIR"
    kDataFolder = 28,          // "Data"
    kCalendarKey = 29,         // "Almanor"
    kProductKey = 30,          // "Orvelle"
    kEmpty = 32,
};

constexpr int kProductStringCount = 33;

// Any index outside the table reads the last entry, the empty string.
const char* GetProductString(int index);

// Support mail address: recipient of the Settings Summary and named in error texts.
extern const char kSupportMailAddress[];

}  // namespace product
