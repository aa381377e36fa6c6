#include "installer/conduit_operations.h"

#include <windows.h>

#include <vector>

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

// The Conduit Manager's word for a creator without a conduit: "not
// previously installed", or no library name to read.
bool NothingRegistered(int rc) { return rc == kCmConduitNotInstalled || rc == kCmValueNotFound; }

// One value of a foreign registration, read before its backup is written.
struct SavedValue {
    const char* name;
    bool number;
    std::string text;
    DWORD value;
};

// Adds a string of the registration to saved; one that is not set is left
// out. Any other failure (the registry, memory, a value too long for the
// buffer) is returned: the conduit must not be removed with an incomplete
// backup.
int SaveString(palm::CmGetCreatorStringFn query, const char* creator, const char* name,
               std::vector<SavedValue>* saved) {
    std::string text;
    const int rc = QueryString(query, creator, &text);
    if (rc == kCmValueNotFound) return kSuccess;
    if (rc == kSuccess) saved->push_back({name, false, text, 0});
    return rc;
}

int SaveInt(palm::CmGetCreatorIntFn query, const char* creator, const char* name, std::vector<SavedValue>* saved) {
    int value = 0;
    const int rc = query(creator, &value);
    if (rc == kCmValueNotFound) return kSuccess;
    if (rc == kSuccess) saved->push_back({name, true, std::string(), static_cast<DWORD>(value)});
    return rc;
}

// A string of the backup. They are written as REG_SZ; a value of another type
// holds no text of the saved conduit and reads as not set.
std::string ReadBackupString(const RegKey& backup, const char* name) {
    std::vector<BYTE> data;
    DWORD type = REG_NONE;
    if (!backup.ReadBytes(name, &data, &type) || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::string();
    return text::FromBuffer(reinterpret_cast<const char*>(data.data()), data.size());
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
    if (NothingRegistered(named)) return kSuccess;
    // A registration that cannot be read (a name too long for the buffer
    // included) cannot be saved, so it must not be removed either.
    if (named != kSuccess) return named;
    if (IsOwnConduit(conduit, registered)) return kSuccess;

    // Everything is read before the earlier backup goes: a query that fails
    // leaves the registration and the earlier backup as they were.
    const char* creator = conduit.creator;
    std::vector<SavedValue> saved = {{"Conduit", false, registered, 0}};
    rc = SaveString(f.getModule, creator, "Module", &saved);
    if (rc == kSuccess) rc = SaveString(f.getDirectory, creator, "Directory", &saved);
    if (rc == kSuccess) rc = SaveString(f.getFile, creator, "File0", &saved);
    if (rc == kSuccess) rc = SaveString(f.getRemote, creator, "Remote0", &saved);
    if (rc == kSuccess) rc = SaveInt(f.getPriority, creator, "Priority", &saved);
    if (rc == kSuccess) rc = SaveString(f.getInfo, creator, "Information", &saved);
    if (rc == kSuccess) rc = SaveInt(f.getIntegrate, creator, "Integrate", &saved);
    if (rc == kSuccess) rc = SaveString(f.getUser, creator, "Username", &saved);
    if (rc == kSuccess) rc = SaveString(f.getTitle, creator, "Name", &saved);
    if (rc == kSuccess) rc = SaveString(f.getArgument, creator, "Arguments", &saved);
    if (rc != kSuccess) return rc;

    const Profile& profile = TheInstallerApp().profile();
    const std::string section = BackupSection(conduit);
    profile.DeleteSection(section.c_str());
    RegKey backup = profile.OpenSection(section.c_str());
    for (const SavedValue& value : saved) {
        if (value.number) {
            backup.WriteDword(value.name, value.value);
        } else {
            backup.WriteString(value.name, value.text);
        }
    }
    return kSuccess;
}

int RemoveRegistration(const ConduitDefinition& conduit, const std::string& productPath, bool onlyOwn,
                       bool* leftAlone) {
    if (leftAlone) *leftAlone = false;
    ConduitManager manager;
    int rc = manager.Load(productPath);
    if (rc != kSuccess) return rc;
    const Functions& f = manager.fn();
    if (!f.removeConduit || !f.getName) return ERR_CONDMGR_INVALID;

    if (onlyOwn) {
        std::string registered;
        const int named = QueryString(f.getName, conduit.creator, &registered);
        // A registration that cannot be read may be ours: that is reported,
        // not passed off as someone else's conduit.
        if (named != kSuccess && !NothingRegistered(named)) return named;
        if (named != kSuccess || !IsOwnConduit(conduit, registered)) {
            if (leftAlone) *leftAlone = true;
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
        // Nothing to unregister: the conduit is gone all the same.
        if (rc == kNmNotRegistered || rc == kCmConduitNotInstalled) rc = kSuccess;
    }
    pause.End();
    return rc < 0 ? rc : kSuccess;
}

int RestoreRegistration(const ConduitDefinition& conduit, const std::string& productPath) {
    const Profile& profile = TheInstallerApp().profile();
    const std::string section = BackupSection(conduit);
    const char* s = section.c_str();
    ConduitRecord record;
    {
        const RegKey backup = profile.OpenSection(s);
        record.library = ReadBackupString(backup, "Conduit");
        if (record.library.empty()) return kSuccess;
        record.module = ReadBackupString(backup, "Module");
        record.directory = ReadBackupString(backup, "Directory");
        record.file = ReadBackupString(backup, "File0");
        record.remote = ReadBackupString(backup, "Remote0");
        record.priority = static_cast<int>(profile.GetInt(s, "Priority", 0));
        record.information = ReadBackupString(backup, "Information");
        record.integrate = static_cast<int>(profile.GetInt(s, "Integrate", 0));
        record.user = ReadBackupString(backup, "Username");
        record.title = ReadBackupString(backup, "Name");
        record.arguments = ReadBackupString(backup, "Arguments");
    }
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
    bool leftAlone = false;
    const int rc = RemoveRegistration(conduit, productPath, true, &leftAlone);
    if (leftAlone) return kSuccess;
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
