#include "common/module_string.h"

#include "common/this_module.h"

namespace {
// The framework's reserved id of the application title string.
constexpr UINT kAppTitleStringId = 57344;
}  // namespace

std::string LoadModuleString(HMODULE module, UINT id) {
    // LoadStringA with a zero length would hand back a pointer instead: use a buffer.
    char text[1024] = {};
    const int length = LoadStringA(module, id, text, sizeof text);
    return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

std::string ApplicationTitle() { return LoadModuleString(ThisModule(), kAppTitleStringId); }
