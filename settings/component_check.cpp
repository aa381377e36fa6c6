#include "settings/component_check.h"

#include <string>

#include "common/foreign_call.h"
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

// The lookup and the call run contained: a damaged or foreign twpalm.dll
// that faults counts as one that is not there.
struct VerifyCall {
    const Module* twpalm;
    const char* exportName;
    HWND owner;
    bool called;
};

void LookUpAndVerify(void* context) noexcept {
    auto* call = static_cast<VerifyCall*>(context);
    const auto verify = call->twpalm->Find<VerifyExport>(call->exportName);
    if (!verify) return;
    verify(call->owner, 1);
    call->called = true;
}

bool RunVerify(int kind, HWND owner) {
    const Module twpalm = LoadInstallerLibrary();
    if (!twpalm) return false;
    VerifyCall call = {&twpalm, kind == kToDoList ? "VerifyConduitTask" : "VerifyConduitDate", owner, false};
    return CallContained(LookUpAndVerify, &call) && call.called;
}

}  // namespace

void CheckConduitComponent(int kind, HWND owner) {
    if (RunVerify(kind, owner)) return;
    MessageBoxA(owner, LoadResString(IDS_MISSING_COMPONENT).c_str(), product::GetProductString(product::kProductName),
                MB_TOPMOST | MB_ICONWARNING);
}
