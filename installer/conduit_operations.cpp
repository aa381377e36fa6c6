#include "installer/conduit_operations.h"

#include <windows.h>

#include "common/product_value.h"
#include "common/reg_key.h"
#include "common/text.h"
#include "installer/conduit_manager.h"
#include "installer/hotsync_api.h"
#include "installer/hotsync_pause.h"
#include "installer/installer_app.h"
#include "installer/result_codes.h"

namespace {

using Functions = ConduitManager::Functions;

std::string BackupSection(const ConduitDefinition& conduit) {
    return std::string("Backup\\") + conduit.backupKey;
}

int QueryString(palm::CmGetCreatorStringFn query, const char* creator, std::string* value) {
    char buffer[MAX_PATH] = {};
    int size = sizeof buffer;
    const int rc = query(creator, buffer, &size);
    if (rc == kSuccess) *value = text::FromBuffer(buffer, sizeof buffer);
    return rc;
}

bool HasBackupQueries(const Functions& f) {
    return f.getModule && f.getDirectory && f.getFile && f.getRemote && f.getName && f.getPriority &&
           f.getInfo && f.getIntegrate && f.getUser && f.getTitle && f.getArgument;
}

bool HasRegisterFunctions(const Functions& f) {
    return f.installCreator && f.setName && f.setModule && f.setDirectory && f.setFile && f.setRemote &&
           f.setPriority && f.setInfo && f.setIntegrate && f.setUser && f.setTitle && f.setArgument;
}

// Copies one string of the registration into the backup when the query
// succeeds. A value too long for the buffer is reported rather than dropped:
// the conduit must not be removed with an incomplete backup.
int BackupString(const RegKey& backup, palm::CmGetCreatorStringFn query, const char* creator,
                 const char* valueName) {
    std::string value;
    const int rc = QueryString(query, creator, &value);
    if (rc == kSuccess) backup.WriteString(valueName, value);
    return rc == kCmBufferTooSmall ? rc : kSuccess;
}

void BackupInt(const RegKey& backup, palm::CmGetCreatorIntFn query, const char* creator,
               const char* valueName) {
    int value = 0;
    if (query(creator, &value) == kSuccess) backup.WriteDword(valueName, static_cast<DWORD>(value));
}

// Stores the record's fields in order, skipping empty strings; stops at the
// first failure, which becomes the result.
int StoreRecord(const Functions& f, const char* creator, const ConduitRecord& record) {
    struct StringField {
        palm::CmSetCreatorStringFn set;
        const std::string& value;
    };
    int rc = f.installCreator(creator, palm::kConduitTypeApplication);
    const StringField beforePriority[] = {
        {f.setName, record.library}, {f.setModule, record.module}, {f.setDirectory, record.directory},
        {f.setFile, record.file},    {f.setRemote, record.remote},
    };
    for (const StringField& field : beforePriority) {
        if (rc == kSuccess && !field.value.empty()) rc = field.set(creator, field.value.c_str());
    }
    if (rc == kSuccess) rc = f.setPriority(creator, record.priority);
    if (rc == kSuccess && !record.information.empty()) rc = f.setInfo(creator, record.information.c_str());
    if (rc == kSuccess) rc = f.setIntegrate(creator, record.integrate);
    const StringField afterIntegrate[] = {
        {f.setUser, record.user}, {f.setTitle, record.title}, {f.setArgument, record.arguments},
    };
    for (const StringField& field : afterIntegrate) {
        if (rc == kSuccess && !field.value.empty()) rc = field.set(creator, field.value.c_str());
    }
    return rc;
}

// Records the HotSync folder of the last successful registration. The key is
// the installer's: it is never created here.
void RecordPalmDesktopPath(const std::string& hotSyncDirectory) {
    RegKey install = RegKey::Open(HKEY_LOCAL_MACHINE, ProductInstallKeyPath().c_str(), KEY_SET_VALUE);
    install.WriteString("PDPath", hotSyncDirectory);
}

}  // namespace

int BackupRegistration(const ConduitDefinition& conduit, const std::string& productPath) {
    ConduitManager manager;
    int rc = manager.Load(productPath);
    if (rc != kSuccess) return rc;
    const Functions& f = manager.fn();
    if (!HasBackupQueries(f)) return ERR_CONDMGR_INVALID;

    std::string registered;
    const int named = QueryString(f.getName, conduit.creator, &registered);
    // A name too long for the buffer is still a registration, one that
    // could not be saved.
    if (named == kCmBufferTooSmall) return named;
    if (named != kSuccess) return kSuccess;
    if (IsOwnConduit(conduit, registered)) return kSuccess;

    const Profile& profile = TheInstallerApp().profile();
    const std::string section = BackupSection(conduit);
    profile.DeleteSection(section.c_str());
    RegKey backup = profile.OpenSection(section.c_str());
    const char* creator = conduit.creator;
    backup.WriteString("Conduit", registered);
    rc = BackupString(backup, f.getModule, creator, "Module");
    if (rc == kSuccess) rc = BackupString(backup, f.getDirectory, creator, "Directory");
    if (rc == kSuccess) rc = BackupString(backup, f.getFile, creator, "File0");
    if (rc == kSuccess) rc = BackupString(backup, f.getRemote, creator, "Remote0");
    if (rc == kSuccess) BackupInt(backup, f.getPriority, creator, "Priority");
    if (rc == kSuccess) rc = BackupString(backup, f.getInfo, creator, "Information");
    if (rc == kSuccess) BackupInt(backup, f.getIntegrate, creator, "Integrate");
    if (rc == kSuccess) rc = BackupString(backup, f.getUser, creator, "Username");
    if (rc == kSuccess) rc = BackupString(backup, f.getTitle, creator, "Name");
    if (rc == kSuccess) rc = BackupString(backup, f.getArgument, creator, "Arguments");
    return rc;
}

int RemoveRegistration(const ConduitDefinition& conduit, const std::string& productPath, bool onlyOwn) {
    ConduitManager manager;
    int rc = manager.Load(productPath);
    if (rc != kSuccess) return rc;
    const Functions& f = manager.fn();
    if (!f.removeConduit || !f.getName) return ERR_CONDMGR_INVALID;

    if (onlyOwn) {
        std::string registered;
        if (QueryString(f.getName, conduit.creator, &registered) != kSuccess ||
            !IsOwnConduit(conduit, registered)) {
            return kCmConduitNotInstalled;
        }
    }
    std::string hotSyncDirectory;
    rc = GetHotSyncDirectory(manager, &hotSyncDirectory);
    if (rc != kSuccess) return rc;
    HotSyncApi hotSync;
    rc = hotSync.Load(hotSyncDirectory, productPath);
    if (rc != kSuccess) return rc;

    HotSyncPause pause(hotSync);
    rc = pause.Begin();
    if (rc != kSuccess) return rc;
    rc = f.removeConduit(conduit.creator);
    if (rc == kCmConduitNotInstalled) rc = kSuccess;
    if (rc >= 0 && f.nmUnregister) {
        rc = f.nmUnregister("");
        if (rc == kNmNotRegistered) rc = kSuccess;
    }
    pause.End();
    return rc < 0 ? rc : kSuccess;
}

int RestoreRegistration(const ConduitDefinition& conduit, const std::string& productPath) {
    const Profile& profile = TheInstallerApp().profile();
    const std::string section = BackupSection(conduit);
    const char* s = section.c_str();
    ConduitRecord record;
    record.library = profile.GetString(s, "Conduit", "");
    if (record.library.empty()) return kSuccess;
    record.module = profile.GetString(s, "Module", "");
    record.directory = profile.GetString(s, "Directory", "");
    record.file = profile.GetString(s, "File0", "");
    record.remote = profile.GetString(s, "Remote0", "");
    record.priority = static_cast<int>(profile.GetInt(s, "Priority", 0));
    record.information = profile.GetString(s, "Information", "");
    record.integrate = static_cast<int>(profile.GetInt(s, "Integrate", 0));
    record.user = profile.GetString(s, "Username", "");
    record.title = profile.GetString(s, "Name", "");
    record.arguments = profile.GetString(s, "Arguments", "");
    return RegisterConduit(conduit, productPath, record);
}

int RegisterConduit(const ConduitDefinition& conduit, const std::string& productPath,
                    const ConduitRecord& record) {
    ConduitManager manager;
    int rc = manager.Load(productPath);
    if (rc != kSuccess) return rc;
    const Functions& f = manager.fn();
    if (!HasRegisterFunctions(f)) return ERR_CONDMGR_INVALID;

    std::string hotSyncDirectory;
    rc = GetHotSyncDirectory(manager, &hotSyncDirectory);
    if (rc != kSuccess) return rc;
    HotSyncApi hotSync;
    rc = hotSync.Load(hotSyncDirectory, productPath);
    if (rc != kSuccess) return rc;

    HotSyncPause pause(hotSync);
    rc = pause.Begin();
    if (rc != kSuccess) return rc;
    if (!UserManagerPresent(hotSyncDirectory)) rc = ERR_USERDATA_NOT_FOUND;
    if (rc == kSuccess) rc = StoreRecord(f, conduit.creator, record);
    pause.End();

    if (rc == kSuccess) RecordPalmDesktopPath(hotSyncDirectory);
    return rc;
}

int InstallConduit(const ConduitDefinition& conduit, const std::string& productPath) {
    int rc = BackupRegistration(conduit, productPath);
    if (rc != kSuccess) return rc;
    rc = RemoveRegistration(conduit, productPath, false);
    if (rc != kSuccess && rc != kCmConduitNotInstalled) return rc;

    const std::string library = productPath + "\\" + conduit.libraryFile;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(library.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return ERR_CONDUIT_NOT_FOUND;
    FindClose(search);

    return RegisterConduit(conduit, productPath, OwnConduitRecord(conduit, productPath));
}

int UninstallConduit(const ConduitDefinition& conduit, const std::string& productPath) {
    const int rc = RemoveRegistration(conduit, productPath, true);
    if (rc == kCmConduitNotInstalled) return kSuccess;
    if (rc != kSuccess) return rc;
    return RestoreRegistration(conduit, productPath);
}

int CheckRegistration(const ConduitDefinition& conduit, const std::string& productPath) {
    ConduitManager manager;
    const int rc = manager.Load(productPath);
    if (rc != kSuccess) return rc;
    if (!manager.fn().getName) return ERR_CONDMGR_INVALID;
    std::string registered;
    if (QueryString(manager.fn().getName, conduit.creator, &registered) != kSuccess) return ERR_NOT_REGISTERED;
    const std::string expected = productPath + "\\" + conduit.libraryFile;
    return text::EqualsIgnoreCase(registered, expected) ? kSuccess : ERR_NOT_REGISTERED;
}
