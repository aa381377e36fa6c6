#pragma once

#include <string>

#include "common/module.h"
#include "common/palm_api.h"

// Palm Desktop's Conduit Manager, bound by name. Every function is looked up
// at load; one the library lacks stays null and the step needing it fails
// with ERR_CONDMGR_INVALID.
class ConduitManager {
public:
    struct Functions {
        palm::CmGetHotSyncExecPathFn getHotSyncExecPath;
        palm::CmGetCreatorStringFn getName, getModule, getDirectory, getFile, getRemote, getInfo,
            getUser, getTitle, getArgument;
        palm::CmGetCreatorIntFn getPriority, getIntegrate;
        palm::CmInstallCreatorFn installCreator;
        palm::CmSetCreatorStringFn setName, setModule, setDirectory, setFile, setRemote, setInfo,
            setUser, setTitle, setArgument;
        palm::CmSetCreatorIntFn setPriority, setIntegrate;
        palm::CmRemoveConduitByCreatorIDFn removeConduit;
        palm::NmUnregisterFn nmUnregister;
    };

    // Loads productPath\CondMgr.dll (ERR_CONDMGR_NOT_INCLUDED when it does not
    // load), asks it for the HotSync directory and, when that folder's own
    // CondMgr.dll loads, uses that one instead. 0 on success.
    int Load(const std::string& productPath);

    const Functions& fn() const { return fn_; }

private:
    void Bind(Module module);

    Module module_;
    Functions fn_ = {};
};

// The HotSync Manager's folder from CmGetHotSyncExecPath: 0 and the folder,
// ERR_CONDMGR_INVALID when the function is missing, or the call's own code.
int GetHotSyncDirectory(const ConduitManager& manager, std::string* directory);
