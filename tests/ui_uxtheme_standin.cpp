#include "tests/ui_uxtheme_standin.h"

#include <windows.h>

#include <cstdint>

#include "tests/support/test_paths.h"

namespace uxtheme_standin {

std::string Path(const std::string& variant) { return testsupport::StandInDir(variant) + "\\TwUxTheme.dll"; }

std::string Log() {
    char log[8192] = {};
    const DWORD length = GetEnvironmentVariableA("TW_UXTHEME_LOG", log, sizeof log);
    return length < sizeof log ? std::string(log, length) : std::string("(log too long)");
}

void Reset() {
    for (const char* name : {"TW_UXTHEME_LOG", "TW_UXTHEME_ACTIVE", "TW_UXTHEME_NO_THEME", "TW_UXTHEME_VERSION"}) {
        SetEnvironmentVariableA(name, nullptr);
    }
}

std::string Number(const void* handle) { return std::to_string(reinterpret_cast<std::uintptr_t>(handle)); }

}  // namespace uxtheme_standin
