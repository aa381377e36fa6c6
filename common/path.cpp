#include "common/path.h"

#include "common/text.h"

namespace path {

std::string Join(const std::string& folder, const std::string& name) {
    // A last byte 0x5C may be the second byte of a double-byte character
    // (CP932 "表" is 95 5C): that folder still needs its separator.
    if (text::EndsWithBackslash(folder)) return folder + name;
    return folder + '\\' + name;
}

}  // namespace path
