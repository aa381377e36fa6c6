#pragma once

#include <string>

#include "common/module.h"
#include "common/palm_api.h"
#include "installer/conduit_fields.h"

// Palm Desktop's Conduit Manager, bound by name. Every function is looked up
// at load; one the library lacks stays null and the step needing it fails
// with kCondMgrInvalid.
class ConduitManager {
public:
    // The exports reading and writing one field of kConduitFields, typed by
    // the field's kind: the pair of the other kind stays null.
    struct FieldFunctions {
        palm::CmGetCreatorStringFn queryText;
        palm::CmGetCreatorIntFn queryNumber;
        palm::CmSetCreatorStringFn setText;
        palm::CmSetCreatorIntFn setNumber;
    };

    struct Functions {
        palm::CmGetHotSyncExecPathFn getHotSyncExecPath;
        palm::CmInstallCreatorFn installCreator;
        palm::CmRemoveConduitByCreatorIDFn removeConduit;
        palm::NmUnregisterFn nmUnregister;
        FieldFunctions fields[kConduitFieldCount];

        palm::CmGetCreatorStringFn queryLibrary() const { return fields[kLibraryField].queryText; }
        // Every field can be read.
        bool CanQueryRecord() const;
        // A creator can be installed and every field written.
        bool CanStoreRecord() const;
    };

    // Loads productPath\CondMgr.dll (kCondMgrNotIncluded when it does not
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
// kCondMgrInvalid when the function is missing, or the call's own code.
int GetHotSyncDirectory(const ConduitManager& manager, std::string* directory);
