#include "installer/conduit_manager.h"

#include <utility>

#include "common/text.h"
#include "installer/result_codes.h"

namespace {
std::string Join(const std::string& folder, const char* file) { return folder + "\\" + file; }
}  // namespace

void ConduitManager::Bind(Module module) {
    module_ = std::move(module);
    const Module& m = module_;
    fn_.getHotSyncExecPath = m.Find<palm::CmGetHotSyncExecPathFn>("CmGetHotSyncExecPath");
    fn_.getName = m.Find<palm::CmGetCreatorStringFn>("CmGetCreatorName");
    fn_.getModule = m.Find<palm::CmGetCreatorStringFn>("CmGetCreatorModule");
    fn_.getDirectory = m.Find<palm::CmGetCreatorStringFn>("CmGetCreatorDirectory");
    fn_.getFile = m.Find<palm::CmGetCreatorStringFn>("CmGetCreatorFile");
    fn_.getRemote = m.Find<palm::CmGetCreatorStringFn>("CmGetCreatorRemote");
    fn_.getInfo = m.Find<palm::CmGetCreatorStringFn>("CmGetCreatorInfo");
    fn_.getUser = m.Find<palm::CmGetCreatorStringFn>("CmGetCreatorUser");
    fn_.getTitle = m.Find<palm::CmGetCreatorStringFn>("CmGetCreatorTitle");
    fn_.getArgument = m.Find<palm::CmGetCreatorStringFn>("CmGetCreatorArgument");
    fn_.getPriority = m.Find<palm::CmGetCreatorIntFn>("CmGetCreatorPriority");
    fn_.getIntegrate = m.Find<palm::CmGetCreatorIntFn>("CmGetCreatorIntegrate");
    fn_.installCreator = m.Find<palm::CmInstallCreatorFn>("CmInstallCreator");
    fn_.setName = m.Find<palm::CmSetCreatorStringFn>("CmSetCreatorName");
    fn_.setModule = m.Find<palm::CmSetCreatorStringFn>("CmSetCreatorModule");
    fn_.setDirectory = m.Find<palm::CmSetCreatorStringFn>("CmSetCreatorDirectory");
    fn_.setFile = m.Find<palm::CmSetCreatorStringFn>("CmSetCreatorFile");
    fn_.setRemote = m.Find<palm::CmSetCreatorStringFn>("CmSetCreatorRemote");
    fn_.setInfo = m.Find<palm::CmSetCreatorStringFn>("CmSetCreatorInfo");
    fn_.setUser = m.Find<palm::CmSetCreatorStringFn>("CmSetCreatorUser");
    fn_.setTitle = m.Find<palm::CmSetCreatorStringFn>("CmSetCreatorTitle");
    fn_.setArgument = m.Find<palm::CmSetCreatorStringFn>("CmSetCreatorArgument");
    fn_.setPriority = m.Find<palm::CmSetCreatorIntFn>("CmSetCreatorPriority");
    fn_.setIntegrate = m.Find<palm::CmSetCreatorIntFn>("CmSetCreatorIntegrate");
    fn_.removeConduit = m.Find<palm::CmRemoveConduitByCreatorIDFn>("CmRemoveConduitByCreatorID");
    fn_.nmUnregister = m.Find<palm::NmUnregisterFn>("NmUnregister");
}

int ConduitManager::Load(const std::string& productPath) {
    Module shipped = Module::Load(Join(productPath, palm::kCondMgrDll).c_str());
    if (!shipped) return ERR_CONDMGR_NOT_INCLUDED;
    Bind(std::move(shipped));

    // Palm Desktop's own copy matches its HotSync Manager better than ours.
    std::string hotSyncDirectory;
    if (GetHotSyncDirectory(*this, &hotSyncDirectory) != kSuccess) return kSuccess;
    Module installed = Module::Load(Join(hotSyncDirectory, palm::kCondMgrDll).c_str());
    if (installed) Bind(std::move(installed));
    return kSuccess;
}

int GetHotSyncDirectory(const ConduitManager& manager, std::string* directory) {
    if (!manager.fn().getHotSyncExecPath) return ERR_CONDMGR_INVALID;
    char buffer[MAX_PATH] = {};
    int size = sizeof buffer;
    const int rc = manager.fn().getHotSyncExecPath(buffer, &size);
    if (rc != kSuccess) return rc;
    *directory = text::StripProgramName(text::FromBuffer(buffer, sizeof buffer));
    return kSuccess;
}
