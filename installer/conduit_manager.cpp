#include "installer/conduit_manager.h"

#include <utility>

#include "common/path.h"
#include "common/text.h"
#include "installer/result_codes.h"

bool ConduitManager::Functions::CanQueryRecord() const {
    for (const FieldFunctions& field : fields) {
        if (!field.queryText && !field.queryNumber) return false;
    }
    return true;
}

bool ConduitManager::Functions::CanStoreRecord() const {
    if (!installCreator) return false;
    for (const FieldFunctions& field : fields) {
        if (!field.setText && !field.setNumber) return false;
    }
    return true;
}

void ConduitManager::Bind(Module module) {
    module_ = std::move(module);
    const Module& m = module_;
    fn_ = {};
    fn_.getHotSyncExecPath = m.Find<palm::CmGetHotSyncExecPathFn>("CmGetHotSyncExecPath");
    fn_.installCreator = m.Find<palm::CmInstallCreatorFn>("CmInstallCreator");
    fn_.removeConduit = m.Find<palm::CmRemoveConduitByCreatorIDFn>("CmRemoveConduitByCreatorID");
    fn_.nmUnregister = m.Find<palm::NmUnregisterFn>("NmUnregister");
    for (size_t i = 0; i < kConduitFieldCount; ++i) {
        const ConduitField& field = kConduitFields[i];
        FieldFunctions& bound = fn_.fields[i];
        if (field.text) {
            bound.queryText = m.Find<palm::CmGetCreatorStringFn>(field.queryFunction);
            bound.setText = m.Find<palm::CmSetCreatorStringFn>(field.setFunction);
        } else {
            bound.queryNumber = m.Find<palm::CmGetCreatorIntFn>(field.queryFunction);
            bound.setNumber = m.Find<palm::CmSetCreatorIntFn>(field.setFunction);
        }
    }
}

int ConduitManager::Load(const std::string& productPath) {
    Module shipped = Module::Load(path::Join(productPath, palm::kCondMgrDll).c_str());
    if (!shipped) return kCondMgrNotIncluded;
    Bind(std::move(shipped));

    // Palm Desktop's own copy matches its HotSync Manager better than ours.
    std::string hotSyncDirectory;
    if (GetHotSyncDirectory(*this, &hotSyncDirectory) != kSuccess) return kSuccess;
    Module installed = Module::Load(path::Join(hotSyncDirectory, palm::kCondMgrDll).c_str());
    if (installed) Bind(std::move(installed));
    return kSuccess;
}

int GetHotSyncDirectory(const ConduitManager& manager, std::string* directory) {
    if (!manager.fn().getHotSyncExecPath) return kCondMgrInvalid;
    char buffer[MAX_PATH] = {};
    int size = sizeof buffer;
    const int rc = manager.fn().getHotSyncExecPath(buffer, &size);
    if (rc != kSuccess) return rc;
    *directory = text::StripProgramName(text::FromBuffer(buffer, sizeof buffer));
    return kSuccess;
}
