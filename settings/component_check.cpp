#include "settings/component_check.h"

#include <string>

#include "common/module.h"
#include "common/product_strings.h"
#include "common/product_value.h"
#include "settings/conduit_kind.h"

namespace {

using VerifyExport = int(WINAPI*)(HWND, int);

const char kMissingComponent[] =
    "Cannot load the program because there are no some components. [#3001]\n\n"
    "Please reinstall Tidewell for Palm.";

bool RunVerify(int kind, HWND owner) {
    std::string path = ReadProductValue(product::GetProductString(product::kPathValue));
    if (!path.empty()) path += "\\twpalm.dll";
    Module twpalm = Module::Load(path.c_str());
    if (!twpalm) return false;
    try {
        auto verify = twpalm.Find<VerifyExport>(kind == kToDoList ? "VerifyConduitTask" : "VerifyConduitDate");
        if (!verify) return false;
        verify(owner, 1);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

void CheckConduitComponent(int kind, HWND owner) {
    if (RunVerify(kind, owner)) return;
    MessageBoxA(owner, kMissingComponent, product::GetProductString(product::kProductName),
                MB_TOPMOST | MB_ICONWARNING);
}
