// Registering our conduits with the Conduit Manager: what is registered, the
// backup of a foreign conduit and its return at uninstall, the binding of
// the Palm libraries and every way of failing on the way.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "common/reg_key.h"
#include "tests/installer_fixture.h"
#include "tests/support/test_paths.h"

using namespace installertest;
using namespace testsupport;

namespace {

class ConduitInstall : public InstallerTest {};
class ConduitUninstall : public InstallerTest {};
class ConduitLoading : public InstallerTest {};

// The Conduit Manager of both folders without the export named by the parameter.
class ConduitManagerWithout : public InstallerTest, public ::testing::WithParamInterface<std::string> {
protected:
    void SetUp() override {
        InstallerTest::SetUp();
        if (HasFatalFailure()) return;
        PutVariant("condmgr-without-" + GetParam(), "CondMgr.dll", true, true);
    }
};

bool IsQuery(const std::string& function) { return function.compare(0, 12, "CmGetCreator") == 0; }
bool IsSetter(const std::string& function) {
    return function == "CmInstallCreator" || function.compare(0, 12, "CmSetCreator") == 0;
}

}  // namespace

TEST_F(ConduitInstall, ReplacesForeignConduitsAfterSavingEveryValueTheyHad) {
    palm_.RegisterConduit("date", PalmDateBook());
    palm_.RegisterConduit("todo", SparseToDoList());
    // An older backup is replaced as a whole, not merged with.
    {
        RegKey stale = RegKey::Create(HKEY_CURRENT_USER, BackupPath("DateBook").c_str());
        stale.WriteString("Conduit", "C:\\Older\\date.dll");
        stale.WriteString("Module", "older.mod");
        stale.WriteDword("Extra", 1);
    }
    Install();

    ExpectConduit("date", OwnConduit("date", productDir_));
    ExpectConduit("todo", OwnConduit("todo", productDir_));
    EXPECT_EQ(BackupOf(PalmDateBook()), StoredBackup("DateBook"));
    EXPECT_EQ(BackupOf(SparseToDoList()), StoredBackup("ToDoList"));
    ExpectPalmDesktopPath(palmDir_);
    EXPECT_EQ(std::vector<std::string>({"CmInstallCreator(date,1)", "CmInstallCreator(todo,1)"}),
              CallsStartingWith({"CmInstallCreator"}));
}

TEST_F(ConduitUninstall, RegistersTheSavedConduitsAgainAndKeepsTheBackup) {
    palm_.RegisterConduit("date", PalmDateBook());
    palm_.RegisterConduit("todo", SparseToDoList());
    Install();
    SetInstallValue("PDPath", "C:\\Old Palm");

    Uninstall();
    ExpectConduit("date", Restored(PalmDateBook()));
    // The sparse one comes back with priority and integrate 0, its other
    // strings left unset.
    ExpectConduit("todo", Restored(SparseToDoList()));
    EXPECT_EQ(BackupOf(PalmDateBook()), StoredBackup("DateBook"));
    EXPECT_EQ(BackupOf(SparseToDoList()), StoredBackup("ToDoList"));
    ExpectPalmDesktopPath(palmDir_);
}

TEST_F(ConduitUninstall, RestoresAHandWrittenBackupWithEmptyAndMissingValues) {
    RegisterOwnConduits();
    {
        RegKey backup = RegKey::Create(HKEY_CURRENT_USER, BackupPath("DateBook").c_str());
        backup.WriteString("Conduit", "C:\\Palm\\Date.dll");
        backup.WriteString("Module", "");
        backup.WriteString("Name", "Dates");
        backup.WriteDword("Integrate", 3);
    }
    Uninstall();
    StandInConduit expected;
    expected.strings = {{"Name", "C:\\Palm\\Date.dll"}, {"Title", "Dates"}};
    expected.numbers = {{"Priority", 0}, {"Integrate", 3}, {"Type", 1}};
    ExpectConduit("date", expected);
    ExpectNoConduit("todo");
}

TEST_F(ConduitInstall, SecondInstallKeepsTheBackupAndRegistersFromTheCurrentPath) {
    palm_.RegisterConduit("date", PalmDateBook());
    Install();
    // A mark the second install would lose if it rewrote the backup.
    RegKey::Create(HKEY_CURRENT_USER, BackupPath("DateBook").c_str()).WriteString("Mark", "kept");
    const std::map<std::string, RawValue> backup = StoredBackup("DateBook");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, BackupPath("ToDoList")));

    const std::string moved = MakeScratchDir("moved");
    WriteTextFile(moved + "\\twdate.dll", "Date Book conduit");
    WriteTextFile(moved + "\\twtask.dll", "To Do List conduit");
    CopyFileTo(StandInDir() + "\\CondMgr.dll", moved);
    SetInstallValue("Path", moved);
    palm_.ClearCallLog();
    Install();

    ExpectConduit("date", OwnConduit("date", moved));
    ExpectConduit("todo", OwnConduit("todo", moved));
    EXPECT_EQ(backup, StoredBackup("DateBook"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, BackupPath("ToDoList")));
    EXPECT_EQ(1, palm_.CountCalls("CmRemoveConduitByCreatorID(date)"));
    EXPECT_EQ(1, palm_.CountCalls("CmInstallCreator(date,1)"));
    RemoveTree(moved);
}

TEST_F(ConduitUninstall, LeavesAConduitOthersRegisteredSinceAlone) {
    palm_.RegisterConduit("date", PalmDateBook());
    Install();
    StandInConduit other;
    other.strings = {{"Name", "C:\\Other\\calendar.dll"}, {"Title", "Other Calendar"}};
    other.numbers = {{"Priority", 1}, {"Type", 1}};
    RemoveStandInConduit("date");
    palm_.RegisterConduit("date", other);
    palm_.ClearCallLog();

    Uninstall();
    ExpectConduit("date", other);
    ExpectNoConduit("todo");  // ours, nothing saved for it
    EXPECT_EQ(0, palm_.CountCalls("CmRemoveConduitByCreatorID(date)"));
    EXPECT_EQ(0, palm_.CountCalls("CmInstallCreator(date"));
    EXPECT_EQ(BackupOf(PalmDateBook()), StoredBackup("DateBook"));
}

TEST_F(ConduitUninstall, WithoutABackupLeavesBothCreatorsUnregistered) {
    Install();
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, BackupPath("DateBook")));
    palm_.ClearCallLog();
    Uninstall();
    ExpectNoConduit("date");
    ExpectNoConduit("todo");
    EXPECT_EQ(0, palm_.CountCalls("CmInstallCreator")) << "nothing to restore was registered";

    // Nothing of ours left: a second uninstall changes nothing either.
    Uninstall();
    ExpectNoConduit("date");
}

TEST_F(ConduitInstall, BareLibraryNameCountsAsOursForBackupAndUninstall) {
    StandInConduit bare = OwnConduit("date", productDir_);
    bare.strings["Name"] = "TWDATE.DLL";
    palm_.RegisterConduit("date", bare);
    RegKey::Create(HKEY_CURRENT_USER, BackupPath("DateBook").c_str()).WriteString("Conduit", "C:\\Palm\\Date.dll");
    const std::map<std::string, RawValue> backup = StoredBackup("DateBook");

    Install();
    EXPECT_EQ(backup, StoredBackup("DateBook"));
    ExpectConduit("date", OwnConduit("date", productDir_));

    // Registered bare again, it is removed and the saved conduit comes back.
    RemoveStandInConduit("date");
    palm_.RegisterConduit("date", bare);
    Uninstall();
    StandInConduit saved;
    saved.strings = {{"Name", "C:\\Palm\\Date.dll"}};
    saved.numbers = {{"Priority", 0}, {"Integrate", 0}, {"Type", 1}};
    ExpectConduit("date", saved);
}

// A file the registration needs is missing: the Date Book's conduit
// library, or the User Manager of the HotSync folder.
struct MissingFile {
    const char* name;
    bool inProductFolder;
    const char* message;
};

class ConduitInstallWithout : public InstallerTest, public ::testing::WithParamInterface<MissingFile> {};

INSTANTIATE_TEST_SUITE_P(Files, ConduitInstallWithout,
                         ::testing::Values(MissingFile{"twdate.dll", true, message::kConduitNotFound},
                                           MissingFile{"UserData.dll", false, message::kUserDataNotFound}),
                         [](const ::testing::TestParamInfo<MissingFile>& info) {
                             return info.param.inProductFolder ? "ConduitLibrary" : "UserManager";
                         });

TEST_P(ConduitInstallWithout, FailsBeforeTheConduitItWouldReplaceIsTouched) {
    const MissingFile& missing = GetParam();
    ASSERT_TRUE(DeleteFileA(((missing.inProductFolder ? productDir_ : palmDir_) + "\\" + missing.name).c_str()));
    palm_.SetHotSync(true);
    palm_.RegisterConduit("date", PalmDateBook());
    AnswerWith(IDOK);
    Install();
    ExpectErrorBox(missing.message);
    ExpectConduit("date", PalmDateBook());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, BackupPath("DateBook")));
    EXPECT_EQ(0, palm_.CountCalls("CmRemoveConduitByCreatorID(date)"));
    EXPECT_TRUE(palm_.Running());

    // Palm's conduit is not ours: the uninstall leaves it registered.
    Uninstall();
    ExpectConduit("date", PalmDateBook());
}

// One failure of the Conduit Manager while our conduit takes the place of
// Palm's: in the removal, or registering ours before or after anything of
// it is stored.
struct OneFailure {
    const char* function;
    int code;
    const char* message;
};

class ConduitInstallFailingOnce : public InstallerTest, public ::testing::WithParamInterface<OneFailure> {};

INSTANTIATE_TEST_SUITE_P(
    Steps, ConduitInstallFailingOnce,
    ::testing::Values(OneFailure{"NmUnregister", -1006, message::kCmRegistryAccess},
                      OneFailure{"CmInstallCreator", -1014, message::kCmUnableToInstall},
                      OneFailure{"CmSetCreatorRemote", -1008, message::kCmUnableToSetValue}),
    [](const ::testing::TestParamInfo<OneFailure>& info) { return std::string(info.param.function); });

TEST_P(ConduitInstallFailingOnce, RegistersTheReplacedConduitAgain) {
    const OneFailure& failure = GetParam();
    palm_.SetHotSync(true);
    palm_.RegisterConduit("date", PalmDateBook());
    palm_.Fail(failure.function, failure.code, 1);
    AnswerWith(IDOK);
    Install();
    ExpectErrorBox(failure.message);
    ExpectConduit("date", Restored(PalmDateBook()));
    EXPECT_EQ(BackupOf(PalmDateBook()), StoredBackup("DateBook"));
    ExpectConduit("todo", OwnConduit("todo", productDir_));
    EXPECT_TRUE(palm_.Running());

    // The next install replaces it as the first would have.
    Install();
    ExpectConduit("date", OwnConduit("date", productDir_));
    Uninstall();
    ExpectConduit("date", Restored(PalmDateBook()));
}

TEST_F(ConduitInstall, FailedReinstallKeepsOurEarlierConduitSoThatUninstallStillRestores) {
    palm_.RegisterConduit("date", PalmDateBook());
    Install();
    const StandInConduit earlier = OwnConduit("date", productDir_);

    const std::string moved = MakeScratchDir("moved");
    WriteTextFile(moved + "\\twdate.dll", "Date Book conduit");
    WriteTextFile(moved + "\\twtask.dll", "To Do List conduit");
    CopyFileTo(StandInDir() + "\\CondMgr.dll", moved);
    SetInstallValue("Path", moved);
    palm_.Fail("CmSetCreatorTitle", -1008, 1);
    AnswerWith(IDOK);
    Install();
    ExpectErrorBox(message::kCmUnableToSetValue);
    ExpectConduit("date", earlier);

    Uninstall();
    ExpectConduit("date", Restored(PalmDateBook()));
    RemoveTree(moved);
}

TEST_F(ConduitInstall, ForeignConduitTooLongToSaveIsNotRemoved) {
    // Values that do not fit the 260-character buffers cannot be saved, and
    // a conduit removed without its backup could never come back.
    StandInConduit longName = PalmDateBook();
    longName.strings["Name"] = "C:\\Palm\\" + std::string(300, 'n') + ".dll";
    StandInConduit longInfo = SparseToDoList();
    longInfo.strings["Info"] = std::string(MAX_PATH, 'i');
    palm_.RegisterConduit("date", longName);
    palm_.RegisterConduit("todo", longInfo);
    AnswerWith(IDOK);
    Install();
    ExpectErrorBox(message::kCmBufferTooSmall);
    ExpectConduit("date", longName);
    ExpectConduit("todo", longInfo);
    EXPECT_EQ(0, palm_.CountCalls("CmRemoveConduitByCreatorID"));

    // One character less fits.
    RemoveStandInConduit("todo");
    longInfo.strings["Info"] = std::string(MAX_PATH - 1, 'i');
    palm_.RegisterConduit("todo", longInfo);
    AnswerWith(IDOK);
    Install();
    ExpectErrorBox(message::kCmBufferTooSmall);  // the Date Book's
    ExpectConduit("todo", OwnConduit("todo", productDir_));
    EXPECT_EQ(BackupOf(longInfo), StoredBackup("ToDoList"));
}

TEST_F(ConduitInstall, FailureWhileRegisteringKeepsWhatWasSetAndRestartsHotSync) {
    // Nothing was registered before, so nothing comes back.
    palm_.SetHotSync(true);
    palm_.Fail("CmSetCreatorRemote", -1008);
    AnswerWith(IDOK);
    Install();
    ExpectErrorBox(message::kCmUnableToSetValue);

    for (const char* creator : {"date", "todo"}) {
        const StandInConduit own = OwnConduit(creator, productDir_);
        StandInConduit partial;
        partial.strings = {{"Name", own.strings.at("Name")}, {"Directory", own.strings.at("Directory")}};
        partial.numbers = {{"Type", 1}};
        ExpectConduit(creator, partial);
    }
    EXPECT_TRUE(palm_.Running());
    EXPECT_EQ(palm_.CountCalls("HsSetAppStatus(0,0)"), palm_.CountCalls("HsSetAppStatus(1,0)"));
    EXPECT_EQ(4, palm_.CountCalls("HsSetAppStatus(1,0)"));
    EXPECT_FALSE(ReadRawValue(HKEY_LOCAL_MACHINE, InstallKeyPath(), "PDPath").present);
}

TEST_F(ConduitInstall, RemovalSucceedsOnlyWhenTheConduitManagerAndNmUnregisterDo) {
    palm_.RegisterConduit("date", PalmDateBook());
    palm_.Fail("NmUnregister", -1021);  // not registered there: fine
    Install();
    ExpectConduit("date", OwnConduit("date", productDir_));
    ExpectConduit("todo", OwnConduit("todo", productDir_));
    EXPECT_EQ(2, palm_.CountCalls("NmUnregister()"));

    // Our conduits are gone when NmUnregister fails; they come back.
    palm_.Fail("NmUnregister", -1006);
    AnswerWith(IDOK);
    Install();
    ExpectErrorBox(message::kCmRegistryAccess);
    ExpectConduit("date", OwnConduit("date", productDir_));
    ExpectConduit("todo", OwnConduit("todo", productDir_));

    // A failed removal ends the removal step: NmUnregister is not asked.
    ResetProduct();
    palm_.RegisterConduit("date", PalmDateBook());
    palm_.Fail("CmRemoveConduitByCreatorID", -1002);
    AnswerWith(IDOK);
    Install();
    ExpectErrorBox(message::kCmUnableToDelete);
    ExpectConduit("date", PalmDateBook());
    EXPECT_EQ(0, palm_.CountCalls("NmUnregister"));
    EXPECT_EQ(0, palm_.CountCalls("CmInstallCreator"));
}

TEST_F(ConduitLoading, ConduitManagerOfTheHotSyncFolderReplacesTheShippedOne) {
    // Ours lacks a function Palm Desktop's has: Palm Desktop's is used.
    PutVariant("condmgr-without-CmInstallCreator", "CondMgr.dll", true, false);
    Install();
    ExpectConduit("date", OwnConduit("date", productDir_));

    // Palm Desktop's lacks it: the call fails although ours has it.
    ResetProduct();
    PutVariant("condmgr-without-CmInstallCreator", "CondMgr.dll", false, true);
    AnswerWith(IDOK);
    Install();
    ExpectErrorBox(message::kInvalidCondMgr);
    ExpectNoConduit("date");

    // Palm Desktop has none: ours is used.
    ResetProduct();
    ASSERT_TRUE(DeleteFileA((palmDir_ + "\\CondMgr.dll").c_str()));
    Install();
    ExpectConduit("todo", OwnConduit("todo", productDir_));

    // Without ours nothing is loaded, whatever Palm Desktop has.
    ResetProduct();
    ASSERT_TRUE(DeleteFileA((productDir_ + "\\CondMgr.dll").c_str()));
    palm_.RegisterConduit("date", PalmDateBook());
    for (bool install : {true, false}) {
        SCOPED_TRACE(install ? "install" : "uninstall");
        AnswerWith(IDOK);
        if (install) {
            Install();
        } else {
            Uninstall();
        }
        ExpectErrorBox(message::kCondMgrNotIncluded);
        ExpectConduit("date", PalmDateBook());
        EXPECT_TRUE(palm_.CallLog().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(EachExport, ConduitManagerWithout, ::testing::ValuesIn(kConduitManagerFunctions),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

TEST_P(ConduitManagerWithout, InstallChecksEachConduitManagerFunctionItNeeds) {
    // The step that needs the function decides what is left behind.
    const std::string& missing = GetParam();
    palm_.RegisterConduit("date", PalmDateBook());
    if (missing == "NmUnregister") {
        Install();
        ExpectConduit("date", OwnConduit("date", productDir_));
        ExpectConduit("todo", OwnConduit("todo", productDir_));
        return;
    }
    AnswerWith(IDOK);
    Install();
    ExpectErrorBox(message::kInvalidCondMgr);
    ExpectNoConduit("todo");
    if (IsQuery(missing)) {
        ExpectConduit("date", PalmDateBook());
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, BackupPath("DateBook")));
    } else if (missing == "CmGetHotSyncExecPath") {
        ExpectConduit("date", PalmDateBook());
    } else if (missing == "CmRemoveConduitByCreatorID") {
        ExpectConduit("date", PalmDateBook());
        EXPECT_EQ(BackupOf(PalmDateBook()), StoredBackup("DateBook"));
    } else {
        // Checked before anything changes.
        ASSERT_TRUE(IsSetter(missing));
        ExpectConduit("date", PalmDateBook());
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, BackupPath("DateBook")));
        EXPECT_EQ(0, palm_.CountCalls("CmRemoveConduitByCreatorID")) << "removal began without every function";
    }
}

TEST_P(ConduitManagerWithout, UninstallChecksOnlyTheFunctionsItNeeds) {
    const std::string& missing = GetParam();
    const bool removal = missing == "CmRemoveConduitByCreatorID" || missing == "CmGetCreatorName" ||
                         missing == "CmGetHotSyncExecPath";
    RegisterOwnConduits();
    RegKey::Create(HKEY_CURRENT_USER, BackupPath("DateBook").c_str()).WriteString("Conduit", "C:\\Palm\\D.dll");
    if (removal || IsSetter(missing)) AnswerWith(IDOK);
    Uninstall();
    if (removal) {
        // Nothing is removed.
        ExpectErrorBox(message::kInvalidCondMgr);
        ExpectConduit("date", OwnConduit("date", productDir_));
        ExpectConduit("todo", OwnConduit("todo", productDir_));
    } else if (IsSetter(missing)) {
        // Ours is removed; the saved one cannot come back. The To Do List
        // had nothing saved and succeeds.
        ExpectErrorBox(message::kInvalidCondMgr);
        ExpectNoConduit("date");
        ExpectNoConduit("todo");
    } else {
        EXPECT_EQ("C:\\Palm\\D.dll", palm_.Conduit("date").strings["Name"]);
        ExpectNoConduit("todo");
    }
}

TEST_F(ConduitLoading, HotSyncApiFromEitherFolderElseNothingIsRemoved) {
    // Only in the product folder: found there, and used to close HotSync.
    ASSERT_TRUE(MoveFileA((palmDir_ + "\\HsApi.dll").c_str(), (productDir_ + "\\HsApi.dll").c_str()));
    palm_.SetHotSync(true);
    Install();
    ExpectConduit("date", OwnConduit("date", productDir_));
    EXPECT_EQ(4, palm_.CountCalls("HsSetAppStatus(0,0)"));

    ResetProduct();
    ASSERT_TRUE(DeleteFileA((palmDir_ + "\\HsApi.dll").c_str()));
    palm_.RegisterConduit("date", PalmDateBook());
    AnswerWith(IDOK);
    Install();
    ExpectErrorBox(message::kHsApiNotFound);
    ExpectConduit("date", PalmDateBook());
    ExpectNoConduit("todo");
}

TEST_F(ConduitLoading, UserManagerMustBePresentButNoneOfItsFunctionsIsUsed) {
    // Without it, see ConduitInstallWithout.
    for (const char* function :
         {"UmGetUserCount", "UmGetUserID", "UmIsUserProfile", "UmGetUserName", "UmIsUserInstalled"}) {
        SCOPED_TRACE(function);
        ResetProduct();
        PutVariant(std::string("userdata-without-") + function, "UserData.dll", false, true);
        Install();
        ExpectConduit("date", OwnConduit("date", productDir_));
        EXPECT_EQ(0, palm_.CountCalls("Um"));
    }
}

TEST_F(ConduitInstall, PathEndingInABackslashRegistersTheLibraryWithOneBackslash) {
    SetInstallValue("Path", productDir_ + "\\");
    Install();
    ExpectConduit("date", OwnConduit("date", productDir_));
    ExpectConduit("todo", OwnConduit("todo", productDir_));
    ExpectPalmDesktopPath(palmDir_);
    // The check joins the same way: nothing to offer.
    VerifyDate();
    VerifyTask();
    EXPECT_EQ(2, palm_.CountCalls("CmInstallCreator"));
}
