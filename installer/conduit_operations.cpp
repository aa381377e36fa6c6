#include "installer/conduit_operations.h"

#include <windows.h>

#include <vector>

#include "common/path.h"
#include "common/product_value.h"
#include "common/reg_key.h"
#include "common/registry_names.h"
#include "common/text.h"
#include "common/unique_handle.h"
#include "installer/conduit_fields.h"
#include "installer/conduit_manager.h"
#include "installer/hotsync_api.h"
#include "installer/hotsync_pause.h"
#include "installer/installer_app.h"
#include "installer/result_codes.h"

namespace {

using Functions = ConduitManager::Functions;
using FieldFunctions = ConduitManager::FieldFunctions;

std::string BackupSection(const ConduitDefinition& conduit) {
    return path::Join(regnames::kBackupSection, conduit.backupKey);
}

int QueryString(palm::CmGetCreatorStringFn query, const char* creator, std::string* value) {
    char buffer[MAX_PATH] = {};
    int size = sizeof buffer;
    const int rc = query(creator, buffer, &size);
    if (rc == kSuccess) *value = text::FromBuffer(buffer, sizeof buffer);
    return rc;
}

// Reads one field of creator's registration into record.
int QueryField(const ConduitField& field, const FieldFunctions& bound, const char* creator, ConduitRecord* record) {
    if (field.text) return QueryString(bound.queryText, creator, &(record->*field.text));
    int value = 0;
    const int rc = bound.queryNumber(creator, &value);
    if (rc == kSuccess) record->*field.number = value;
    return rc;
}

// Writes one field of record for creator; an empty string is not set.
int StoreField(const ConduitField& field, const FieldFunctions& bound, const char* creator,
               const ConduitRecord& record) {
    if (!field.text) return bound.setNumber(creator, record.*field.number);
    const std::string& value = record.*field.text;
    return value.empty() ? kSuccess : bound.setText(creator, value.c_str());
}

// The Conduit Manager's word for a creator without a conduit: "not
// previously installed", or no library name to read.
bool NothingRegistered(int rc) { return rc == kCmConduitNotInstalled || rc == kCmValueNotFound; }

// A foreign registration read whole, before its backup is written.
struct SavedRegistration {
    ConduitRecord record;
    std::vector<const ConduitField*> present;  // the fields that were set
};

// Reads every field after the library, whose name the caller has read. A
// field that is not set is left out; any other failure (the registry,
// memory, a value too long for the buffer) is returned: the conduit must not
// be removed with an incomplete backup.
int ReadRegistration(const Functions& f, const char* creator, SavedRegistration* saved) {
    saved->present.push_back(&kConduitFields[kLibraryField]);
    for (size_t i = 0; i < kConduitFieldCount; ++i) {
        if (i == kLibraryField) continue;
        const int rc = QueryField(kConduitFields[i], f.fields[i], creator, &saved->record);
        if (rc == kCmValueNotFound) continue;
        if (rc != kSuccess) return rc;
        saved->present.push_back(&kConduitFields[i]);
    }
    return kSuccess;
}

// Replaces the conduit's backup as a whole with saved.
void WriteBackup(const ConduitDefinition& conduit, const SavedRegistration& saved) {
    const Profile& profile = TheInstallerApp().profile();
    const std::string section = BackupSection(conduit);
    profile.DeleteSection(section.c_str());
    const RegKey backup = profile.OpenSection(section.c_str());
    for (const ConduitField* field : saved.present) {
        if (field->text) {
            backup.WriteString(field->backupValue, saved.record.*field->text);
        } else {
            backup.WriteDword(field->backupValue, static_cast<DWORD>(saved.record.*field->number));
        }
    }
}

// A string of the backup. They are written as REG_SZ; a value of another type
// holds no text of the saved conduit and reads as not set.
std::string ReadBackupString(const RegKey& backup, const char* name) {
    std::vector<BYTE> data;
    DWORD type = REG_NONE;
    if (!backup.ReadBytes(name, &data, &type) || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::string();
    return text::FromBuffer(reinterpret_cast<const char*>(data.data()), data.size());
}

// The saved registration; an empty library when nothing usable is saved.
// Integers follow the profile's rule: missing reads as 0.
ConduitRecord ReadBackup(const ConduitDefinition& conduit) {
    const Profile& profile = TheInstallerApp().profile();
    const std::string section = BackupSection(conduit);
    const RegKey backup = profile.OpenSection(section.c_str());
    ConduitRecord record;
    for (const ConduitField& field : kConduitFields) {
        if (field.text) {
            record.*field.text = ReadBackupString(backup, field.backupValue);
        } else {
            record.*field.number = static_cast<int>(profile.GetInt(section.c_str(), field.backupValue, 0));
        }
    }
    return record;
}

// Installs the creator and stores the record's fields in order; stops at the
// first failure, which becomes the result.
int StoreRecord(const Functions& f, const char* creator, const ConduitRecord& record) {
    int rc = f.installCreator(creator, palm::kConduitTypeApplication);
    for (size_t i = 0; i < kConduitFieldCount && rc == kSuccess; ++i) {
        rc = StoreField(kConduitFields[i], f.fields[i], creator, record);
    }
    return rc;
}

// Records the HotSync folder of the last successful registration. The key is
// the installer's: it is never created here.
void RecordPalmDesktopPath(const std::string& hotSyncDirectory) {
    RegKey install = RegKey::Open(HKEY_LOCAL_MACHINE, ProductInstallKeyPath().c_str(), KEY_SET_VALUE);
    install.WriteString(regnames::kPalmDesktopPathValue, hotSyncDirectory);
}

// The HotSync folder the Conduit Manager names, and the HotSync API that
// starts and stops the HotSync Manager there.
int LoadHotSyncApi(const ConduitManager& manager, const std::string& productPath, std::string* hotSyncDirectory,
                   HotSyncApi* hotSync) {
    const int rc = GetHotSyncDirectory(manager, hotSyncDirectory);
    if (rc != kSuccess) return rc;
    return hotSync->Load(*hotSyncDirectory, productPath);
}

// What a registration needs that can be known before anything changes: the
// Conduit Manager with every function that stores a registration, the conduit
// library on disk and the User Manager in the HotSync folder. Such a failure
// must not come after the conduit being replaced is gone.
int CheckCanRegister(const ConduitDefinition& conduit, const std::string& productPath) {
    ConduitManager manager;
    int rc = manager.Load(productPath);
    if (rc != kSuccess) return rc;
    if (!manager.fn().CanStoreRecord()) return kCondMgrInvalid;
    WIN32_FIND_DATAA found;
    if (!FindFirst(OwnLibraryPath(conduit, productPath).c_str(), &found)) return kConduitNotFound;
    std::string hotSyncDirectory;
    rc = GetHotSyncDirectory(manager, &hotSyncDirectory);
    if (rc != kSuccess) return rc;
    return UserManagerPresent(hotSyncDirectory) ? kSuccess : kUserDataNotFound;
}

// Registers again what an install that failed half-way had removed, after
// whatever the failed registration left of the creator. Best effort: the
// install's own failure is what gets reported.
void PutBack(const ConduitDefinition& conduit, const std::string& productPath, const ConduitRecord& record) {
    ConduitManager manager;
    if (manager.Load(productPath) != kSuccess) return;
    const Functions& f = manager.fn();
    if (!f.removeConduit || !f.CanStoreRecord()) return;
    std::string hotSyncDirectory;
    HotSyncApi hotSync;
    if (LoadHotSyncApi(manager, productPath, &hotSyncDirectory, &hotSync) != kSuccess) return;

    HotSyncPause pause(hotSync);
    if (pause.Begin() != kSuccess) return;
    const int removed = f.removeConduit(conduit.creator);
    if (removed == kSuccess || removed == kCmConduitNotInstalled) StoreRecord(f, conduit.creator, record);
}

// Removes the creator's conduit while the HotSync Manager is paused.
int RemoveWhilePaused(const ConduitManager& manager, const ConduitDefinition& conduit,
                      const std::string& productPath) {
    const Functions& f = manager.fn();
    std::string hotSyncDirectory;
    HotSyncApi hotSync;
    int rc = LoadHotSyncApi(manager, productPath, &hotSyncDirectory, &hotSync);
    if (rc != kSuccess) return rc;

    HotSyncPause pause(hotSync);
    rc = pause.Begin();
    if (rc != kSuccess) return rc;
    rc = f.removeConduit(conduit.creator);
    if (rc == kCmConduitNotInstalled) rc = kSuccess;
    if (rc >= 0 && f.nmUnregister) {
        rc = f.nmUnregister("");
        // Nothing to unregister: the conduit is gone all the same.
        if (rc == kNmNotRegistered || rc == kCmConduitNotInstalled) rc = kSuccess;
    }
    pause.End();
    return rc < 0 ? rc : kSuccess;
}

}  // namespace

int BackupRegistration(const ConduitDefinition& conduit, const std::string& productPath, ConduitRecord* found) {
    *found = ConduitRecord();
    ConduitManager manager;
    const int rc = manager.Load(productPath);
    if (rc != kSuccess) return rc;
    const Functions& f = manager.fn();
    if (!f.CanQueryRecord()) return kCondMgrInvalid;

    SavedRegistration saved;
    const int named = QueryString(f.queryLibrary(), conduit.creator, &saved.record.library);
    if (NothingRegistered(named)) return kSuccess;
    // A registration that cannot be read (a name too long for the buffer
    // included) cannot be saved, so it must not be removed either.
    if (named != kSuccess) return named;

    // Everything is read before the earlier backup goes: a query that fails
    // leaves the registration and the earlier backup as they were.
    const int read = ReadRegistration(f, conduit.creator, &saved);
    if (IsOwnConduit(conduit, saved.record.library)) {
        // Ours is never backed up; read whole, it can come back after a
        // failed reinstall.
        if (read == kSuccess) *found = saved.record;
        return kSuccess;
    }
    if (read != kSuccess) return read;
    WriteBackup(conduit, saved);
    *found = saved.record;
    return kSuccess;
}

RemovalResult RemoveRegistration(const ConduitDefinition& conduit, const std::string& productPath,
                                 RemovalScope scope) {
    ConduitManager manager;
    const int rc = manager.Load(productPath);
    if (rc != kSuccess) return RemovalResult::Failed(rc);
    const Functions& f = manager.fn();
    if (!f.removeConduit || !f.queryLibrary()) return RemovalResult::Failed(kCondMgrInvalid);

    if (scope == RemovalScope::kOnlyOurs) {
        std::string registered;
        const int named = QueryString(f.queryLibrary(), conduit.creator, &registered);
        // A registration that cannot be read may be ours: that is reported,
        // not passed off as someone else's conduit.
        if (named != kSuccess && !NothingRegistered(named)) return RemovalResult::Failed(named);
        if (named != kSuccess || !IsOwnConduit(conduit, registered)) return RemovalResult::NotOurs();
    }
    const int removed = RemoveWhilePaused(manager, conduit, productPath);
    return removed == kSuccess ? RemovalResult::Removed() : RemovalResult::Failed(removed);
}

int RestoreRegistration(const ConduitDefinition& conduit, const std::string& productPath) {
    const ConduitRecord record = ReadBackup(conduit);
    if (record.library.empty()) return kSuccess;
    return RegisterConduit(conduit, productPath, record);
}

int RegisterConduit(const ConduitDefinition& conduit, const std::string& productPath,
                    const ConduitRecord& record) {
    ConduitManager manager;
    int rc = manager.Load(productPath);
    if (rc != kSuccess) return rc;
    const Functions& f = manager.fn();
    if (!f.CanStoreRecord()) return kCondMgrInvalid;

    std::string hotSyncDirectory;
    HotSyncApi hotSync;
    rc = LoadHotSyncApi(manager, productPath, &hotSyncDirectory, &hotSync);
    if (rc != kSuccess) return rc;

    HotSyncPause pause(hotSync);
    rc = pause.Begin();
    if (rc != kSuccess) return rc;
    if (!UserManagerPresent(hotSyncDirectory)) rc = kUserDataNotFound;
    if (rc == kSuccess) rc = StoreRecord(f, conduit.creator, record);
    pause.End();

    if (rc == kSuccess) RecordPalmDesktopPath(hotSyncDirectory);
    return rc;
}

int InstallConduit(const ConduitDefinition& conduit, const std::string& productPath) {
    int rc = CheckCanRegister(conduit, productPath);
    if (rc != kSuccess) return rc;
    ConduitRecord replaced;
    rc = BackupRegistration(conduit, productPath, &replaced);
    if (rc != kSuccess) return rc;

    const RemovalResult removal = RemoveRegistration(conduit, productPath, RemovalScope::kAnyConduit);
    rc = removal.kind == RemovalResult::kFailed
             ? removal.code
             : RegisterConduit(conduit, productPath, OwnConduitRecord(conduit, productPath));
    // The conduit that was there comes back; its backup stays as written.
    if (rc != kSuccess && !replaced.library.empty()) PutBack(conduit, productPath, replaced);
    return rc;
}

int UninstallConduit(const ConduitDefinition& conduit, const std::string& productPath) {
    const RemovalResult removal = RemoveRegistration(conduit, productPath, RemovalScope::kOnlyOurs);
    if (removal.kind == RemovalResult::kNotOurs) return kSuccess;
    if (removal.kind == RemovalResult::kFailed) return removal.code;
    return RestoreRegistration(conduit, productPath);
}

int CheckRegistration(const ConduitDefinition& conduit, const std::string& productPath) {
    ConduitManager manager;
    const int rc = manager.Load(productPath);
    if (rc != kSuccess) return rc;
    if (!manager.fn().queryLibrary()) return kCondMgrInvalid;
    std::string registered;
    if (QueryString(manager.fn().queryLibrary(), conduit.creator, &registered) != kSuccess) return kNotRegistered;
    return text::EqualsIgnoreCase(registered, OwnLibraryPath(conduit, productPath)) ? kSuccess : kNotRegistered;
}
