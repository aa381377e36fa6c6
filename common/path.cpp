#include "common/path.h"

namespace path {

std::string Join(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '\\') return folder + name;
    return folder + '\\' + name;
}

}  // namespace path
