#include "settings/component_check.h"

#include <string>

#include "common/module.h"
#include "common/path.h"
#include "common/product_strings.h"
#include "common/product_value.h"
#include "common/registry_names.h"
#include "framework/application.h"
#include "resources/twpalmui_ids.h"
#include "settings/conduit_kind.h"

namespace {

using VerifyExport = int(WINAPI*)(HWND, int);

const char kInstallerLibrary[] = "twpalm.dll";

// twpalm from the product folder; none when the folder is not set, rather
// than whatever library of that name the search path would find.
Module LoadInstallerLibrary() {
    const std::string folder = ReadProductValue(regnames::kPathValue);
    if (folder.empty()) return Module();
    return Module::Load(path::Join(folder, kInstallerLibrary).c_str());
}

bool RunVerify(int kind, HWND owner) {
    Module twpalm = LoadInstallerLibrary();
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
    MessageBoxA(owner, LoadResString(IDS_MISSING_COMPONENT).c_str(), product::GetProductString(product::kProductName),
                MB_TOPMOST | MB_ICONWARNING);
}
