#include "tests/installer_fixture.h"

#include <cstdio>
#include <utility>

#include "common/reg_key.h"
#include "common/registry_names.h"
#include "standins/standin_state.h"
#include "tests/support/test_paths.h"

using namespace testsupport;

namespace installertest {

const std::vector<std::string> kConduitManagerFunctions = {
    "CmGetHotSyncExecPath",  "CmGetCreatorName",       "CmGetCreatorModule",    "CmGetCreatorDirectory",
    "CmGetCreatorFile",      "CmGetCreatorRemote",     "CmGetCreatorInfo",      "CmGetCreatorUser",
    "CmGetCreatorTitle",     "CmGetCreatorArgument",   "CmGetCreatorPriority",  "CmGetCreatorIntegrate",
    "CmInstallCreator",      "CmSetCreatorName",       "CmSetCreatorModule",    "CmSetCreatorDirectory",
    "CmSetCreatorFile",      "CmSetCreatorRemote",     "CmSetCreatorInfo",      "CmSetCreatorUser",
    "CmSetCreatorTitle",     "CmSetCreatorArgument",   "CmSetCreatorPriority",  "CmSetCreatorIntegrate",
    "CmRemoveConduitByCreatorID", "NmUnregister",
};

namespace {

using MessageBoxFn = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);

// What was loaded at the moment of each MessageBoxA call of the library.
std::vector<std::string> g_librariesAtBox;
MessageBoxFn g_nextMessageBox = nullptr;

int WINAPI CheckingMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT flags) {
    g_librariesAtBox.push_back(LoadedPalmLibraries());
    return g_nextMessageBox(owner, text, caption, flags);
}

ExportFn FindExport(HMODULE module, const char* name) {
    return reinterpret_cast<ExportFn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

std::string Describe(const SeenMessageBox& box) {
    char flags[16];
    std::snprintf(flags, sizeof flags, "0x%x", box.flags);
    return "[" + box.caption + "] \"" + box.text + "\" flags " + flags;
}

}  // namespace

std::string BackupPath(const std::string& backupKey) {
    return "Software\\Quillon Software\\Orvelle\\Backup\\" + backupKey;
}

std::map<std::string, RawValue> BackupOf(const StandInConduit& conduit) {
    // The stand-in's field names and the backup's value names for them.
    static const std::map<std::string, const char*> names = {
        {"Name", "Conduit"},   {"Module", "Module"},    {"Directory", "Directory"}, {"File", "File0"},
        {"Remote", "Remote0"}, {"Info", "Information"}, {"User", "Username"},       {"Title", "Name"},
        {"Arguments", "Arguments"},
    };
    std::map<std::string, RawValue> backup;
    for (const auto& entry : conduit.strings) backup[names.at(entry.first)] = StringValue(entry.second);
    for (const auto& entry : conduit.numbers) {
        if (entry.first != "Type") backup[entry.first] = DwordValue(entry.second);
    }
    return backup;
}

std::map<std::string, RawValue> StoredBackup(const std::string& backupKey) {
    return ReadKeyValues(HKEY_CURRENT_USER, BackupPath(backupKey));
}

std::string LoadedPalmLibraries() {
    std::string loaded;
    for (const char* name : {"CondMgr.dll", "HsApi.dll", "UserData.dll"}) {
        if (GetModuleHandleA(name)) loaded += std::string(loaded.empty() ? "" : " ") + name;
    }
    return loaded;
}

StandInConduit OwnConduit(const std::string& creator, const std::string& productDir) {
    const bool date = creator == "date";
    StandInConduit conduit;
    conduit.strings = {
        {"Name", productDir + (date ? "\\twdate.dll" : "\\twtask.dll")},
        {"Directory", date ? "datebook" : "todo"},
        {"Remote", date ? "DatebookDB" : "ToDoDB"},
        {"Info", "Synchronization Module for Almanor"},
        {"Title", date ? "Almanor Dates" : "Almanor Tasks"},
    };
    conduit.numbers = {{"Priority", 2}, {"Integrate", 0}, {"Type", 1}};
    return conduit;
}

StandInConduit PalmDateBook() {
    StandInConduit conduit;
    conduit.strings = {
        {"Name", "C:\\Program Files\\Palm\\Datebook3.dll"},
        {"Directory", "datebook"},
        {"File", "datebook.dat"},
        {"Remote", "DatebookDB"},
        {"Info", "Palm Date Book conduit"},
        {"User", "Jane Doe"},
        {"Title", "Date Book"},
        {"Arguments", "-full"},
    };
    conduit.numbers = {{"Priority", 5}, {"Integrate", 7}};
    return conduit;
}

StandInConduit SparseToDoList() {
    StandInConduit conduit;
    conduit.strings = {
        {"Name", "C:\\Program Files\\Palm\\ToDo.dll"},
        {"Module", "todo.mod"},
        {"Title", "To Do List"},
    };
    return conduit;
}

StandInConduit Restored(StandInConduit conduit) {
    conduit.numbers.emplace("Priority", 0);
    conduit.numbers.emplace("Integrate", 0);
    conduit.numbers["Type"] = 1;
    return conduit;
}

void InstallerTest::SetUp() {
    ProductTest::SetUp();
    g_librariesAtBox.clear();
    twpalm_ = LoadLibraryA((BinDir() + "\\twpalm.dll").c_str());
    ASSERT_NE(nullptr, twpalm_) << "twpalm.dll not found beside the test program";
    install_ = FindExport(twpalm_, "InstallAllConduits");
    uninstall_ = FindExport(twpalm_, "UninstallAllConduits");
    verifyDate_ = FindExport(twpalm_, "VerifyConduitDate");
    verifyTask_ = FindExport(twpalm_, "VerifyConduitTask");
    ASSERT_TRUE(install_ && uninstall_ && verifyDate_ && verifyTask_);

    sleeps_ = std::make_unique<SleepRecorder>(twpalm_);
    ASSERT_TRUE(sleeps_->applied());
    boxes_ = std::make_unique<MessageBoxDriver>();
    boxes_->Watch(twpalm_);
    // Chained behind the driver's recorder: the check sees the call first.
    boxTimeCheck_ = std::make_unique<ImportPatch>(twpalm_, "USER32.dll", "MessageBoxA",
                                                  reinterpret_cast<void*>(&CheckingMessageBoxA));
    ASSERT_TRUE(boxTimeCheck_->applied());
    g_nextMessageBox = reinterpret_cast<MessageBoxFn>(boxTimeCheck_->original());
    ASSERT_NE(nullptr, g_nextMessageBox);
}

void InstallerTest::TearDown() {
    if (boxes_) {
        EXPECT_EQ(0, boxes_->unexpected()) << "a message box came that the test did not expect";
        ExpectNoBox();
    }
    for (const std::string& loaded : g_librariesAtBox) {
        EXPECT_EQ("", loaded) << "a message box was shown while Palm libraries were loaded";
    }
    boxTimeCheck_.reset();
    boxes_.reset();
    sleeps_.reset();
    for (HWND window : windows_) DestroyWindow(window);
    windows_.clear();
    if (twpalm_) FreeLibrary(twpalm_);
    twpalm_ = nullptr;
    ProductTest::TearDown();
}

void InstallerTest::Call(const char* name, ExportFn function, HWND owner, int flag) {
    SCOPED_TRACE(name);
    EXPECT_EQ(0, function(owner, flag));
    EXPECT_EQ("", LoadedPalmLibraries()) << "still loaded after the call returned";
}

void InstallerTest::CallExport(const std::string& name, HWND owner, int flag) {
    const ExportFn function = FindExport(twpalm_, name.c_str());
    ASSERT_NE(nullptr, function) << name;
    Call(name.c_str(), function, owner, flag);
}

std::vector<SeenMessageBox> InstallerTest::NewBoxes() {
    const std::vector<SeenMessageBox>& seen = boxes_->seen();
    std::vector<SeenMessageBox> fresh(seen.begin() + static_cast<std::ptrdiff_t>(boxesTaken_), seen.end());
    boxesTaken_ = seen.size();
    return fresh;
}

namespace {

void ExpectBox(const SeenMessageBox& box, const std::string& text, UINT flags, HWND owner) {
    EXPECT_EQ(kCaption, box.caption);
    EXPECT_EQ(text, box.text);
    EXPECT_EQ(owner ? flags : flags | MB_TOPMOST, box.flags) << Describe(box);
    EXPECT_EQ(owner, box.owner);
}

}  // namespace

void InstallerTest::ExpectErrorBox(const std::string& text, HWND owner) {
    const std::vector<SeenMessageBox> fresh = NewBoxes();
    ASSERT_EQ(1u, fresh.size()) << "expected one box: " << text;
    ExpectBox(fresh[0], text, kErrorFlags, owner);
}

void InstallerTest::ExpectQuestion(const std::string& text, HWND owner) {
    const std::vector<SeenMessageBox> fresh = NewBoxes();
    ASSERT_EQ(1u, fresh.size()) << "expected one box: " << text;
    ExpectBox(fresh[0], text, kQuestionFlags, owner);
}

void InstallerTest::ExpectQuestionThenError(const std::string& question, const std::string& error) {
    const std::vector<SeenMessageBox> fresh = NewBoxes();
    ASSERT_EQ(2u, fresh.size()) << "expected a question and a report";
    ExpectBox(fresh[0], question, kQuestionFlags, nullptr);
    ExpectBox(fresh[1], error, kErrorFlags, nullptr);
}

void InstallerTest::ExpectNoBox() {
    for (const SeenMessageBox& box : NewBoxes()) ADD_FAILURE() << "unexpected box " << Describe(box);
}

void InstallerTest::ExpectConduit(const std::string& creator, const StandInConduit& expected) {
    SCOPED_TRACE("conduit " + creator);
    ASSERT_TRUE(palm_.HasConduit(creator));
    const StandInConduit actual = palm_.Conduit(creator);
    EXPECT_EQ(expected.strings, actual.strings);
    EXPECT_EQ(expected.numbers, actual.numbers);
}

void InstallerTest::ExpectNoConduit(const std::string& creator) {
    EXPECT_FALSE(palm_.HasConduit(creator)) << "conduit " << creator << " is registered";
}

void InstallerTest::ExpectPalmDesktopPath(const std::string& directory) {
    EXPECT_EQ(StringValue(directory), ReadRawValue(HKEY_LOCAL_MACHINE, InstallKeyPath(), regnames::kPalmDesktopPathValue));
}

void InstallerTest::ResetProduct() {
    ProductTest::TearDown();
    ProductTest::SetUp();
}

void InstallerTest::PutVariant(const std::string& variant, const char* dll, bool productFolder, bool hotSyncFolder) {
    if (productFolder) palm_.PutVariant(variant, dll, productDir_);
    if (hotSyncFolder) palm_.PutVariant(variant, dll, palmDir_);
    const std::string source = StandInDir(variant) + "\\" + dll;
    ASSERT_TRUE(PathExists(source)) << source;
}

void InstallerTest::RemoveHotSyncPath() {
    ASSERT_TRUE(DeleteValue(HKEY_CURRENT_USER, regnames::kPalmDesktopCoreKey, regnames::kHotSyncPathValue));
}

void InstallerTest::RemoveStandInConduit(const std::string& creator) {
    ASSERT_TRUE(DeleteKeyTree(HKEY_CURRENT_USER, standin::StatePath("Conduits\\" + creator).c_str()));
}

void InstallerTest::RegisterOwnConduits() {
    palm_.RegisterConduit("date", OwnConduit("date", productDir_));
    palm_.RegisterConduit("todo", OwnConduit("todo", productDir_));
}

std::vector<std::string> InstallerTest::CallsStartingWith(const std::vector<std::string>& prefixes) const {
    std::vector<std::string> calls;
    for (const std::string& call : palm_.CallLog()) {
        for (const std::string& prefix : prefixes) {
            if (call.compare(0, prefix.size(), prefix) == 0) {
                calls.push_back(call);
                break;
            }
        }
    }
    return calls;
}

HWND InstallerTest::CreateOwnerWindow() {
    HWND window = CreateWindowA("STATIC", "Installer", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(nullptr, window);
    windows_.push_back(window);
    return window;
}

}  // namespace installertest
