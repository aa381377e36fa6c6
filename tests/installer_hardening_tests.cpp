// twpalm under hostile conditions, through its four exports:
// - every Palm Desktop function each export calls, made to fail once with
//   each of its error codes, taken out of its DLL, or its DLL missing; the
//   state left behind is derived from the step the failure happens in;
// - hostile data in every registry value the library reads: the wrong type,
//   no terminating zero, no bytes at all, just over MAX_PATH, 64 KB.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/module.h"
#include "common/reg_key.h"
#include "standins/standin_state.h"
#include "tests/installer_fixture.h"
#include "tests/support/import_patch.h"
#include "tests/support/message_box_driver.h"
#include "tests/support/test_paths.h"
#include "tests/support/windows_versions.h"

using namespace installertest;
using namespace testsupport;

namespace {

constexpr int kUnknownCode = -77;
constexpr UINT kTopmostError = MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST;
constexpr UINT kTopmostQuestion = MB_YESNO | MB_ICONQUESTION | MB_TOPMOST;

std::string MessageFor(int code) {
    if (code == kUnknownCode) return "Unknown error occurred: 0xffffffb3 ( -77 )\n";
    const std::string known = ResultMessageOf(code);
    return known.empty() ? "(no message known for " + std::to_string(code) + ")" : known;
}

// ---------------------------------------------------------------------------
// What the Palm libraries and the boxes looked like during a call.

// The Palm Desktop DLLs a case may load, by full path.
std::vector<std::string> g_palmLibraryPaths;
// For each box of twpalm: the Palm DLLs loaded at that moment.
std::vector<std::string> g_loadedAtBox;
using MessageBoxFn = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);
MessageBoxFn g_nextMessageBox = nullptr;

std::string LoadedByPath() {
    std::string loaded;
    for (const std::string& path : g_palmLibraryPaths) {
        if (GetModuleHandleA(path.c_str())) loaded += (loaded.empty() ? "" : " ") + path;
    }
    return loaded;
}

int WINAPI BoxSeeingLoadedPaths(HWND owner, LPCSTR text, LPCSTR caption, UINT flags) {
    g_loadedAtBox.push_back(LoadedByPath());
    return g_nextMessageBox(owner, text, caption, flags);
}

struct ExpectedBox {
    std::string text;
    UINT flags;
};

void ExpectBoxes(const std::vector<ExpectedBox>& expected, const std::vector<SeenMessageBox>& seen) {
    ASSERT_EQ(expected.size(), seen.size()) << "boxes shown: " << seen.size()
                                            << (seen.empty() ? std::string() : ", first: " + seen[0].text);
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(kCaption, seen[i].caption);
        EXPECT_EQ(expected[i].text, seen[i].text);
        EXPECT_EQ(expected[i].flags, seen[i].flags) << seen[i].text;
        EXPECT_EQ(nullptr, seen[i].owner);
    }
}

// ---------------------------------------------------------------------------
// Registry helpers.

void WriteRaw(HKEY root, const std::string& path, const char* name, const RawValue& value) {
    ASSERT_TRUE(WriteRawValue(root, path, name, value)) << path << " " << name;
}

void WriteValues(HKEY root, const std::string& path, const std::map<std::string, RawValue>& values) {
    for (const auto& entry : values) WriteRaw(root, path, entry.first.c_str(), entry.second);
}

// Everything the product, Palm Desktop and the stand-ins keep.
// The stand-ins' call log is their diary, not state.
RegistryTree Snapshot() {
    RegistryTree tree;
    AddTree(HKEY_LOCAL_MACHINE, "HKLM", "SOFTWARE\\Quillon Software", &tree);
    AddTree(HKEY_CURRENT_USER, "HKCU", "Software\\Quillon Software", &tree);
    AddTree(HKEY_CURRENT_USER, "HKCU", "Software\\U.S. Robotics", &tree);
    AddTree(HKEY_CURRENT_USER, "HKCU", standin::kRootPath, &tree, standin::StatePath("CallLog"));
    return tree;
}

const std::string kConduitsKey = std::string("HKCU\\") + standin::kRootPath + "\\Conduits";
const std::string kInstallKey = "HKLM\\SOFTWARE\\Quillon Software\\Orvelle\\Install";

// The tree with a creator's registration replaced by conduit (none when null).
void SetConduitIn(RegistryTree* tree, const std::string& creator, const StandInConduit* conduit) {
    const std::string key = kConduitsKey + "\\" + creator;
    tree->keys.erase(key);
    for (auto it = tree->values.begin(); it != tree->values.end();) {
        it = it->first.compare(0, key.size() + 1, key + "|") == 0 ? tree->values.erase(it) : std::next(it);
    }
    if (!conduit) return;
    tree->keys.insert(kConduitsKey);
    tree->keys.insert(key);
    for (const auto& entry : conduit->strings) tree->values[key + "|" + entry.first] = StringValue(entry.second);
    for (const auto& entry : conduit->numbers) tree->values[key + "|" + entry.first] = DwordValue(entry.second);
}

// ---------------------------------------------------------------------------
// The operations and the faults of the sweep.

enum class Export { kInstall, kUninstall, kVerifyDate, kVerifyTask };

struct Operation {
    Export which;
    int flag;  // quiet for install and uninstall, interactive for the verify functions

    bool Verify() const { return which == Export::kVerifyDate || which == Export::kVerifyTask; }
    bool ShowsBoxes() const { return Verify() ? flag != 0 : flag == 0; }
    std::string Name() const {
        switch (which) {
        case Export::kInstall: return "InstallAllConduits(quiet " + std::to_string(flag) + ")";
        case Export::kUninstall: return "UninstallAllConduits(quiet " + std::to_string(flag) + ")";
        case Export::kVerifyDate: return "VerifyConduitDate(interactive " + std::to_string(flag) + ")";
        case Export::kVerifyTask: return "VerifyConduitTask(interactive " + std::to_string(flag) + ")";
        }
        return "";
    }
};

enum class Library { kCondMgrOfProduct, kCondMgrOfHotSync, kHsApi, kHsApiOnlyInProduct, kUserData, kConduitFiles };

struct Fault {
    enum Kind { kNone, kCode, kNoExport, kNoLibrary } kind = kNone;
    std::string function;  // kCode, kNoExport
    int code = 0;          // kCode
    Library library = Library::kCondMgrOfProduct;

    bool Is(Kind k, const char* name) const { return kind == k && function == name; }
    std::string Describe() const {
        switch (kind) {
        case kNone: return "no fault";
        case kCode: return function + " returns " + std::to_string(code);
        case kNoExport: return "no " + function + " in its DLL";
        case kNoLibrary:
            switch (library) {
            case Library::kCondMgrOfProduct: return "no CondMgr.dll in the product folder";
            case Library::kCondMgrOfHotSync: return "no CondMgr.dll in the HotSync folder";
            case Library::kHsApi: return "no HsApi.dll anywhere";
            case Library::kHsApiOnlyInProduct: return "HsApi.dll only in the product folder";
            case Library::kUserData: return "no UserData.dll";
            case Library::kConduitFiles: return "no conduit libraries in the product folder";
            }
        }
        return "";
    }
};

bool IsHotSyncApi(const std::string& function) { return function.compare(0, 2, "Hs") == 0; }
bool IsGetter(const std::string& function) { return function.compare(0, 12, "CmGetCreator") == 0; }
bool IsSetter(const std::string& function) {
    return function == "CmInstallCreator" || function.compare(0, 12, "CmSetCreator") == 0;
}

// The order in which a registration is stored, and the stand-in value each
// call sets.
const std::vector<std::pair<std::string, std::string>> kStoreOrder = {
    {"CmInstallCreator", "Type"},       {"CmSetCreatorName", "Name"},         {"CmSetCreatorModule", "Module"},
    {"CmSetCreatorDirectory", "Directory"}, {"CmSetCreatorFile", "File"},    {"CmSetCreatorRemote", "Remote"},
    {"CmSetCreatorPriority", "Priority"}, {"CmSetCreatorInfo", "Info"},      {"CmSetCreatorIntegrate", "Integrate"},
    {"CmSetCreatorUser", "User"},       {"CmSetCreatorTitle", "Title"},       {"CmSetCreatorArgument", "Arguments"},
};

size_t StoreIndex(const std::string& setter) {
    for (size_t i = 0; i < kStoreOrder.size(); ++i) {
        if (kStoreOrder[i].first == setter) return i;
    }
    ADD_FAILURE() << "not a store function: " << setter;
    return 0;
}

bool Has(const StandInConduit& conduit, const std::string& field) {
    return conduit.strings.count(field) != 0 || conduit.numbers.count(field) != 0;
}

// Whether storing record calls setter: empty strings are skipped.
bool StoreCalls(const StandInConduit& record, const std::string& setter) {
    return setter == "CmInstallCreator" || Has(record, kStoreOrder[StoreIndex(setter)].second);
}

// What a registration stopped at setter leaves: the fields stored before it.
StandInConduit StoredBefore(const StandInConduit& record, const std::string& setter) {
    const size_t stop = StoreIndex(setter);
    StandInConduit partial;
    for (size_t i = 0; i < stop; ++i) {
        const std::string& field = kStoreOrder[i].second;
        if (record.strings.count(field)) partial.strings[field] = record.strings.at(field);
        if (record.numbers.count(field)) partial.numbers[field] = record.numbers.at(field);
    }
    return partial;
}

// The backup value a query of the backup step fills.
std::string BackupValueOf(const std::string& getter) {
    static const std::map<std::string, std::string> names = {
        {"CmGetCreatorName", "Conduit"},     {"CmGetCreatorModule", "Module"},   {"CmGetCreatorDirectory", "Directory"},
        {"CmGetCreatorFile", "File0"},       {"CmGetCreatorRemote", "Remote0"},  {"CmGetCreatorPriority", "Priority"},
        {"CmGetCreatorInfo", "Information"}, {"CmGetCreatorIntegrate", "Integrate"}, {"CmGetCreatorUser", "Username"},
        {"CmGetCreatorTitle", "Name"},       {"CmGetCreatorArgument", "Arguments"},
    };
    return names.at(getter);
}

// Where one creator ends up. Install side (a foreign conduit registered, an
// older backup saved): kUntouched, kSaved (fresh backup, foreign conduit still
// registered), kRemoved (fresh backup, nothing registered), kPutBack (fresh
// backup, the foreign conduit registered again from what was read),
// kPartial (fresh backup, the foreign conduit registered again up to the
// failed call), kReplaced (fresh backup, ours registered), kReplacedUnsaved
// (older backup, ours registered). Uninstall side (ours registered, the
// foreign one saved): kUntouched, kRemoved, kPartial (the saved one stored
// up to the failed call), kRestored.
enum class State { kUntouched, kSaved, kRemoved, kPutBack, kPartial, kReplaced, kReplacedUnsaved, kRestored };

struct Outcome {
    State state = State::kUntouched;
    int code = 0;
    std::string failedSetter;   // kPartial
    std::string droppedBackup;  // a backup value its query reported as not set
};

Outcome Make(State state, int code = 0, std::string setter = "") {
    Outcome outcome;
    outcome.state = state;
    outcome.code = code;
    outcome.failedSetter = std::move(setter);
    return outcome;
}

// Where a fault stops one creator's install or uninstall. The steps run in
// this order, and a step that fails leaves every earlier one done and no
// later one begun: the install's checks of what registering needs, reading
// the registration (and, installing, saving it), removing it, registering
// the new one before anything of it is stored, and storing its fields.
enum class Step { kCheck, kRead, kRemove, kRegister, kStore, kNone };

struct Stop {
    Step step = Step::kNone;
    int code = 0;
    std::string setter;         // kStore: the set function that failed
    std::string droppedBackup;  // a backup value its query reported as not set
    bool nothingThere = false;  // the creator was found holding no conduit
};

Stop StopsAt(Step step, int code) {
    Stop stop;
    stop.step = step;
    stop.code = code;
    return stop;
}

// The Conduit Manager's words for "no such conduit" and "no such value".
bool SaysNothingThere(int code) { return code == -1003 || code == -1011; }

// The step that needs a Conduit Manager function, and fails when it is
// missing or fails. An install checks the HotSync folder and the set
// functions before anything else.
Step StepNeeding(const std::string& function, bool uninstall) {
    if (!uninstall && (function == "CmGetHotSyncExecPath" || IsSetter(function))) return Step::kCheck;
    if (IsGetter(function)) return Step::kRead;
    if (function == "CmGetHotSyncExecPath" || function == "CmRemoveConduitByCreatorID") return Step::kRemove;
    return Step::kRegister;  // NmUnregister ends the removal; the set functions are checked before storing
}

// Where the fault stops a creator; storing records the fields of record.
Stop StopOf(const Fault& fault, bool uninstall, const StandInConduit& record) {
    const std::string& f = fault.function;
    const int c = fault.code;
    switch (fault.kind) {
    case Fault::kNone:
        return Stop();
    case Fault::kNoLibrary:
        switch (fault.library) {
        case Library::kCondMgrOfProduct: return StopsAt(Step::kRead, -1201);
        case Library::kHsApi: return StopsAt(Step::kRemove, -1203);
        case Library::kUserData: return StopsAt(uninstall ? Step::kRegister : Step::kCheck, -1206);
        case Library::kConduitFiles: return uninstall ? Stop() : StopsAt(Step::kCheck, -1204);
        case Library::kCondMgrOfHotSync:
        case Library::kHsApiOnlyInProduct: return Stop();  // the other folder's copy serves
        }
        return Stop();
    case Fault::kNoExport:
    case Fault::kCode:
        break;
    }
    const bool missing = fault.kind == Fault::kNoExport;
    // The HotSync Manager is paused first in the removal: one that cannot
    // say it runs is not paused, one that cannot say it is idle counts as
    // busy, and one ignoring the close request is waited for.
    if (IsHotSyncApi(f)) return f == "HsGetSyncStatus" ? StopsAt(Step::kRemove, -1205) : Stop();
    if (missing) {
        // NmUnregister is optional; an uninstall reads only the name.
        if (f == "NmUnregister" || (uninstall && IsGetter(f) && f != "CmGetCreatorName")) return Stop();
        return StopsAt(StepNeeding(f, uninstall), -1202);
    }
    if (f == "CmGetCreatorName" && SaysNothingThere(c)) {
        Stop stop;
        stop.nothingThere = true;
        return stop;
    }
    if (IsGetter(f) && c == -1011) {
        Stop stop;
        stop.droppedBackup = BackupValueOf(f);
        return stop;
    }
    // A removal that says the conduit was not there removes nothing, and the
    // creator is still taken when the registration comes.
    if (f == "CmRemoveConduitByCreatorID" && c == -1003) return StopsAt(Step::kRemove, -1005);
    if (f == "NmUnregister" && (c == -1021 || c == -1003)) return Stop();
    if (IsSetter(f) && f != "CmInstallCreator") {
        if (!StoreCalls(record, f)) return Stop();  // an empty string is not set
        Stop stop = StopsAt(Step::kStore, c);
        stop.setter = f;
        return stop;
    }
    return StopsAt(f == "CmInstallCreator" ? Step::kRegister : StepNeeding(f, uninstall), c);
}

// An install that fails once the replaced conduit is gone registers it
// again, and a failing function fails that registration too.
Outcome PutBackOutcome(const Fault& fault, const StandInConduit& replaced) {
    const std::string& f = fault.function;
    if (fault.kind != Fault::kCode) return Make(State::kPutBack);
    if (f == "CmInstallCreator") return Make(State::kRemoved);
    if (IsSetter(f) && StoreCalls(replaced, f)) return Make(State::kPartial, 0, f);
    return Make(State::kPutBack);
}

// The state a stop leaves one creator in. Installing over a foreign
// conduit (replaced, as registering it again stores it), it is saved before
// it is removed and comes back when registering ours fails; uninstalling,
// ours is removed only when it is there, and the saved one comes back.
Outcome OutcomeOf(const Fault& fault, bool uninstall, const StandInConduit& record,
                  const StandInConduit& replaced = StandInConduit()) {
    const Stop stop = StopOf(fault, uninstall, record);
    Outcome outcome;
    if (!uninstall && (stop.step == Step::kRegister || stop.step == Step::kStore)) {
        outcome = PutBackOutcome(fault, replaced);
    }
    outcome.code = stop.code;
    outcome.droppedBackup = stop.droppedBackup;
    switch (stop.step) {
    case Step::kCheck:
    case Step::kRead: outcome.state = State::kUntouched; break;
    case Step::kRemove: outcome.state = uninstall ? State::kUntouched : State::kSaved; break;
    case Step::kRegister:
        if (uninstall) outcome.state = State::kRemoved;
        break;
    case Step::kStore:
        if (uninstall) {
            outcome.state = State::kPartial;
            outcome.failedSetter = stop.setter;
        }
        break;
    case Step::kNone:
        if (uninstall) {
            outcome.state = stop.nothingThere ? State::kUntouched : State::kRestored;
        } else {
            outcome.state = stop.nothingThere ? State::kReplacedUnsaved : State::kReplaced;
        }
        break;
    }
    return outcome;
}

// The functions each operation calls when nothing fails.
const std::set<std::string> kInstallCalls = {
    "CmGetHotSyncExecPath", "CmGetCreatorName", "CmGetCreatorModule", "CmGetCreatorDirectory", "CmGetCreatorFile",
    "CmGetCreatorRemote", "CmGetCreatorPriority", "CmGetCreatorInfo", "CmGetCreatorIntegrate", "CmGetCreatorUser",
    "CmGetCreatorTitle", "CmGetCreatorArgument", "CmRemoveConduitByCreatorID", "NmUnregister", "CmInstallCreator",
    "CmSetCreatorName", "CmSetCreatorDirectory", "CmSetCreatorRemote", "CmSetCreatorPriority", "CmSetCreatorInfo",
    "CmSetCreatorIntegrate", "CmSetCreatorTitle", "HsCheckApiStatus", "HsGetSyncStatus", "HsSetAppStatus",
};
const std::set<std::string> kUninstallCalls = {
    "CmGetHotSyncExecPath", "CmGetCreatorName", "CmRemoveConduitByCreatorID", "NmUnregister", "CmInstallCreator",
    "CmSetCreatorName", "CmSetCreatorModule", "CmSetCreatorDirectory", "CmSetCreatorFile", "CmSetCreatorRemote",
    "CmSetCreatorPriority", "CmSetCreatorInfo", "CmSetCreatorIntegrate", "CmSetCreatorUser", "CmSetCreatorTitle",
    "CmSetCreatorArgument", "HsCheckApiStatus", "HsGetSyncStatus", "HsSetAppStatus",
};
const std::set<std::string> kCheckCalls = {"CmGetHotSyncExecPath", "CmGetCreatorName"};

const std::set<std::string>& CallsOf(const Operation& op) {
    if (op.which == Export::kUninstall) return kUninstallCalls;
    if (op.Verify() && op.flag == 0) return kCheckCalls;
    return kInstallCalls;
}

// Codes a function is made to return. Where an installer export shows the
// code, every Conduit Manager code and one unknown; elsewhere (silent calls,
// and the verify functions, whose install is the same) the codes that change
// what happens (-1003 "not installed", -1010 "buffer too small", -1011 "value
// not found", -1021 for NmUnregister), one ordinary failure and the unknown
// one. The HotSync API's results are not Conduit Manager codes: any non-zero
// one is a failure.
std::vector<int> CodesFor(const std::string& function, bool everyCode) {
    if (IsHotSyncApi(function)) return {-1, 1};
    std::vector<int> codes;
    if (everyCode) {
        for (int code = -1000; code >= -1017; --code) codes.push_back(code);
    } else {
        codes = {-1003, -1006, -1010, -1011};
    }
    codes.push_back(kUnknownCode);
    if (function == "NmUnregister") codes.push_back(-1021);
    return codes;
}

// The i686 build runs under an emulated 32-bit Wine, where a case costs
// several times what it costs under 64-bit Wine: there the sweeps take a
// fixed sample, the fault-free case, every missing library and every third
// of the failing codes and missing functions. The x86_64 build takes every case.
#if defined(__i386__)
constexpr int kSweepSampleStride = 3;
#else
constexpr int kSweepSampleStride = 1;
#endif

bool Sampled(const Fault& fault, size_t index) {
    const bool thinned = fault.kind == Fault::kCode || fault.kind == Fault::kNoExport;
    return !thinned || index % kSweepSampleStride == 0;
}

std::vector<Fault> FaultsOf(const Operation& op) {
    std::vector<Fault> faults(1);
    for (const std::string& function : CallsOf(op)) {
        for (int code : CodesFor(function, !op.Verify() && op.ShowsBoxes())) {
            Fault fault;
            fault.kind = Fault::kCode;
            fault.function = function;
            fault.code = code;
            faults.push_back(fault);
        }
    }
    std::vector<std::string> exports = kConduitManagerFunctions;
    exports.insert(exports.end(), {"HsCheckApiStatus", "HsGetSyncStatus", "HsSetAppStatus"});
    for (const std::string& function : exports) {
        Fault fault;
        fault.kind = Fault::kNoExport;
        fault.function = function;
        faults.push_back(fault);
    }
    for (Library library : {Library::kCondMgrOfProduct, Library::kCondMgrOfHotSync, Library::kHsApi,
                            Library::kHsApiOnlyInProduct, Library::kUserData, Library::kConduitFiles}) {
        Fault fault;
        fault.kind = Fault::kNoLibrary;
        fault.library = library;
        faults.push_back(fault);
    }
    return faults;
}

StandInConduit ForeignConduit(const std::string& creator) {
    return creator == "date" ? PalmDateBook() : SparseToDoList();
}

// A backup left by an earlier install over another conduit.
std::map<std::string, RawValue> OlderBackup(const std::string& creator) {
    return {{"Conduit", StringValue("C:\\Older\\" + creator + ".dll")},
            {"Module", StringValue("older.mod")},
            {"Extra", DwordValue(1)}};
}

std::string BackupKeyOf(const std::string& creator) { return creator == "date" ? "DateBook" : "ToDoList"; }

const char kOldPalmDesktopPath[] = "C:\\Old Palm";

// ---------------------------------------------------------------------------

class Hardening : public InstallerTest {
protected:
    void SetUp() override {
        InstallerTest::SetUp();
        if (HasFatalFailure()) return;
        g_palmLibraryPaths.clear();
        for (const std::string& folder : {productDir_, palmDir_}) {
            for (const char* dll : {"CondMgr.dll", "HsApi.dll", "UserData.dll"}) {
                g_palmLibraryPaths.push_back(folder + "\\" + dll);
            }
        }
        {
            // The probe must see a library loaded from one of the folders.
            Module hsapi = Module::Load((palmDir_ + "\\HsApi.dll").c_str());
            ASSERT_TRUE(hsapi);
            ASSERT_EQ(palmDir_ + "\\HsApi.dll", LoadedByPath());
        }
        ASSERT_EQ("", LoadedByPath());
        g_loadedAtBox.clear();
        HMODULE twpalm = GetModuleHandleA((BinDir() + "\\twpalm.dll").c_str());
        ASSERT_NE(nullptr, twpalm);
        // Chained in front of the fixture's own box checks.
        pathCheck_ = std::make_unique<ImportPatch>(twpalm, "USER32.dll", "MessageBoxA",
                                                   reinterpret_cast<void*>(&BoxSeeingLoadedPaths));
        ASSERT_TRUE(pathCheck_->applied());
        g_nextMessageBox = reinterpret_cast<MessageBoxFn>(pathCheck_->original());
    }

    void TearDown() override {
        pathCheck_.reset();
        InstallerTest::TearDown();
    }

    void Run(const Operation& op) {
        switch (op.which) {
        case Export::kInstall: Install(nullptr, op.flag); break;
        case Export::kUninstall: Uninstall(nullptr, op.flag); break;
        case Export::kVerifyDate: VerifyDate(nullptr, op.flag); break;
        case Export::kVerifyTask: VerifyTask(nullptr, op.flag); break;
        }
    }

    // Every Palm library released, also while each box was up.
    void ExpectPalmLibrariesReleased() {
        EXPECT_EQ("", LoadedByPath()) << "still loaded after the call";
        for (const std::string& loaded : g_loadedAtBox) EXPECT_EQ("", loaded) << "loaded while a box was up";
        g_loadedAtBox.clear();
    }

    // Product files and Palm Desktop's as SetUp made them.
    void RestoreFiles() {
        WriteTextFile(productDir_ + "\\twdate.dll", "Date Book conduit");
        WriteTextFile(productDir_ + "\\twtask.dll", "To Do List conduit");
        ASSERT_TRUE(CopyFileTo(StandInDir() + "\\CondMgr.dll", productDir_));
        DeleteFileA((productDir_ + "\\HsApi.dll").c_str());
        for (const char* dll : {"CondMgr.dll", "HsApi.dll", "UserData.dll"}) {
            ASSERT_TRUE(CopyFileTo(StandInDir() + "\\" + dll, palmDir_)) << dll;
        }
    }

    // The registry as SetUp makes it, without anything registered.
    void ResetRegistry(bool hotSyncRunning) {
        ResetProductState();
        SetInstallValue("Path", productDir_);
        palm_.SetHotSyncPath(palmDir_ + "\\HotSync.exe");
        palm_.SetHotSync(hotSyncRunning);
        if (hotSyncRunning) {
            palm_.SetCloseAfterChecks(2);
            palm_.SetStartAfterChecks(1);
        }
    }

    std::unique_ptr<ImportPatch> pathCheck_;
};

class HardeningFaultSweep : public Hardening {
protected:
    // Before an uninstall both creators hold our conduit and the foreign ones
    // are saved; otherwise both hold a foreign conduit and an older backup.
    void Arrange(const Operation& op) {
        ResetRegistry(true);
        SetInstallValue("PDPath", op.Verify() ? UpperPalmDir() : kOldPalmDesktopPath);
        for (const char* creator : {"date", "todo"}) {
            const std::string backup = BackupPath(BackupKeyOf(creator));
            if (op.which == Export::kUninstall) {
                palm_.RegisterConduit(creator, OwnConduit(creator, productDir_));
                WriteValues(HKEY_CURRENT_USER, backup, BackupOf(ForeignConduit(creator)));
            } else {
                palm_.RegisterConduit(creator, ForeignConduit(creator));
                WriteValues(HKEY_CURRENT_USER, backup, OlderBackup(creator));
            }
        }
    }

    // The recorded folder in other letters: a verify passes the check with
    // it, and a registration visibly rewrites it.
    std::string UpperPalmDir() const { return CharUpperA(std::string(palmDir_).data()); }

    // Returns whether files were changed.
    bool ArrangeFault(const Fault& fault) {
        switch (fault.kind) {
        case Fault::kNone:
            return false;
        case Fault::kCode:
            palm_.Fail(fault.function, fault.code);
            return false;
        case Fault::kNoExport:
            if (IsHotSyncApi(fault.function)) {
                PutVariant("hsapi-without-" + fault.function, "HsApi.dll", false, true);
            } else {
                PutVariant("condmgr-without-" + fault.function, "CondMgr.dll", true, true);
            }
            return true;
        case Fault::kNoLibrary:
            switch (fault.library) {
            case Library::kCondMgrOfProduct: EXPECT_TRUE(DeleteFileA((productDir_ + "\\CondMgr.dll").c_str())); break;
            case Library::kCondMgrOfHotSync: EXPECT_TRUE(DeleteFileA((palmDir_ + "\\CondMgr.dll").c_str())); break;
            case Library::kHsApi: EXPECT_TRUE(DeleteFileA((palmDir_ + "\\HsApi.dll").c_str())); break;
            case Library::kHsApiOnlyInProduct:
                EXPECT_TRUE(MoveFileA((palmDir_ + "\\HsApi.dll").c_str(), (productDir_ + "\\HsApi.dll").c_str()));
                break;
            case Library::kUserData: EXPECT_TRUE(DeleteFileA((palmDir_ + "\\UserData.dll").c_str())); break;
            case Library::kConduitFiles:
                EXPECT_TRUE(DeleteFileA((productDir_ + "\\twdate.dll").c_str()));
                EXPECT_TRUE(DeleteFileA((productDir_ + "\\twtask.dll").c_str()));
                break;
            }
            return true;
        }
        return false;
    }

    // Where each creator ends up and whether the verify question is asked.
    std::map<std::string, Outcome> Expected(const Operation& op, const Fault& fault, bool* asked) {
        *asked = false;
        std::map<std::string, Outcome> outcomes;
        for (const char* creator : {"date", "todo"}) {
            if (op.which == Export::kUninstall) {
                outcomes[creator] = OutcomeOf(fault, true, Restored(ForeignConduit(creator)));
            } else if (op.which == Export::kInstall) {
                outcomes[creator] =
                    OutcomeOf(fault, false, OwnConduit(creator, productDir_), Restored(ForeignConduit(creator)));
            } else {
                outcomes[creator] = Make(State::kUntouched);
            }
        }
        if (!op.Verify() || op.flag == 0) return outcomes;
        const std::string checked = op.which == Export::kVerifyDate ? "date" : "todo";
        // The check needs the shipped Conduit Manager and CmGetCreatorName;
        // it finds a foreign conduit, however CmGetCreatorName fails.
        if (fault.Is(Fault::kNoExport, "CmGetCreatorName")) {
            outcomes[checked] = Make(State::kUntouched, -1202);
        } else if (fault.kind == Fault::kNoLibrary && fault.library == Library::kCondMgrOfProduct) {
            outcomes[checked] = Make(State::kUntouched, -1201);
        } else {
            *asked = true;
            outcomes[checked] =
                OutcomeOf(fault, false, OwnConduit(checked, productDir_), Restored(ForeignConduit(checked)));
        }
        return outcomes;
    }

    void ExpectCreator(const Operation& op, const std::string& creator, const Outcome& outcome) {
        SCOPED_TRACE(creator);
        const StandInConduit foreign = ForeignConduit(creator);
        const StandInConduit own = OwnConduit(creator, productDir_);
        std::map<std::string, RawValue> backup = BackupOf(foreign);
        if (!outcome.droppedBackup.empty()) backup.erase(outcome.droppedBackup);
        if (op.which == Export::kUninstall) {
            const StandInConduit restored = Restored(foreign);
            switch (outcome.state) {
            case State::kUntouched: ExpectConduit(creator, own); break;
            case State::kRemoved: ExpectNoConduit(creator); break;
            case State::kPartial: ExpectConduit(creator, StoredBefore(restored, outcome.failedSetter)); break;
            case State::kRestored: ExpectConduit(creator, restored); break;
            default: ADD_FAILURE() << "not an uninstall state";
            }
        } else {
            switch (outcome.state) {
            case State::kUntouched:
            case State::kReplacedUnsaved: backup = OlderBackup(creator); break;
            default: break;
            }
            switch (outcome.state) {
            case State::kUntouched:
            case State::kSaved: ExpectConduit(creator, foreign); break;
            case State::kRemoved: ExpectNoConduit(creator); break;
            case State::kPutBack: ExpectConduit(creator, Restored(foreign)); break;
            case State::kPartial: ExpectConduit(creator, StoredBefore(Restored(foreign), outcome.failedSetter)); break;
            case State::kReplaced:
            case State::kReplacedUnsaved: ExpectConduit(creator, own); break;
            default: ADD_FAILURE() << "not an install state";
            }
        }
        EXPECT_EQ(backup, ReadKeyValues(HKEY_CURRENT_USER, BackupPath(BackupKeyOf(creator))));
    }

    // One case: the state afresh, the fault, the call, every check.
    void RunCase(const Operation& op, const Fault& fault) {
        SCOPED_TRACE(op.Name() + ", " + fault.Describe());
        Arrange(op);
        const bool filesChanged = ArrangeFault(fault);
        bool asked = false;
        const std::map<std::string, Outcome> outcomes = Expected(op, fault, &asked);
        const int code = op.which == Export::kVerifyTask ? outcomes.at("todo").code
                         : op.which == Export::kVerifyDate ? outcomes.at("date").code
                         : outcomes.at("todo").code != 0  ? outcomes.at("todo").code
                                                           : outcomes.at("date").code;
        std::vector<ExpectedBox> boxes;
        if (asked) boxes.push_back({op.which == Export::kVerifyDate ? message::kDateQuestion : message::kTaskQuestion, kTopmostQuestion});
        if (op.ShowsBoxes() && code != 0) boxes.push_back({MessageFor(code), kTopmostError});

        {
            MessageBoxDriver driver;  // this case's answers only
            if (asked) driver.Answer(IDYES);
            if (boxes.size() > (asked ? 1u : 0u)) driver.Answer(IDOK);
            Run(op);
            ExpectBoxes(boxes, driver.seen());
        }
        ExpectPalmLibrariesReleased();
        EXPECT_TRUE(palm_.Running()) << "the HotSync Manager ran before the call";
        for (const auto& entry : outcomes) ExpectCreator(op, entry.first, entry.second);

        bool registered = false;
        for (const auto& entry : outcomes) {
            registered |= entry.second.state == State::kReplaced || entry.second.state == State::kReplacedUnsaved ||
                          entry.second.state == State::kRestored;
        }
        const std::string start = op.Verify() ? UpperPalmDir() : kOldPalmDesktopPath;
        EXPECT_EQ(StringValue(registered ? palmDir_ : start),
                  ReadRawValue(HKEY_LOCAL_MACHINE, InstallKeyPath(), "PDPath"));
        if (fault.kind == Fault::kCode) {
            EXPECT_LT(0, palm_.CountCalls(fault.function + "(")) << "the failing function was never called";
        }
        if (filesChanged) RestoreFiles();
    }

    // The Palm Desktop functions a call makes when nothing fails.
    std::set<std::string> FunctionsCalled() const {
        std::set<std::string> functions;
        for (const std::string& call : palm_.CallLog()) functions.insert(call.substr(0, call.find('(')));
        return functions;
    }

    // Every fault of each operation, one case each; prints the count.
    void Sweep(const std::vector<Operation>& operations, const char* name) {
        int cases = 0;
        for (const Operation& op : operations) {
            {
                // The functions swept are exactly those the call makes.
                SCOPED_TRACE(op.Name() + " without faults");
                Arrange(op);
                MessageBoxDriver driver;
                if (op.Verify() && op.flag) driver.Answer(IDYES);
                Run(op);
                EXPECT_EQ(CallsOf(op), FunctionsCalled());
            }
            const std::vector<Fault> faults = FaultsOf(op);
            for (size_t index = 0; index < faults.size(); ++index) {
                if (!Sampled(faults[index], index)) continue;
                RunCase(op, faults[index]);
                ++cases;
            }
        }
        EXPECT_LT(40 / kSweepSampleStride, cases);
        std::printf("fault sweep: %d cases (%s)\n", cases, name);
    }
};

}  // namespace

TEST_F(HardeningFaultSweep, InstallAllConduits) {
    Sweep({{Export::kInstall, 0}, {Export::kInstall, 1}}, "InstallAllConduits");
}

TEST_F(HardeningFaultSweep, UninstallAllConduits) {
    Sweep({{Export::kUninstall, 0}, {Export::kUninstall, 1}}, "UninstallAllConduits");
}

TEST_F(HardeningFaultSweep, VerifyConduitDate) {
    Sweep({{Export::kVerifyDate, 1}, {Export::kVerifyDate, 0}}, "VerifyConduitDate");
}

TEST_F(HardeningFaultSweep, VerifyConduitTask) {
    Sweep({{Export::kVerifyTask, 1}, {Export::kVerifyTask, 0}}, "VerifyConduitTask");
}

// ---------------------------------------------------------------------------
// Hostile registry values. What "sane" means for each value read:
// - "Path": its bytes are the text whatever the type (documented). A value
//   that names no product folder fails with a code and touches nothing:
//   empty, or too long to join "\CondMgr.dll" to within MAX_PATH, gives
//   -1209 before any Palm library is loaded; a REG_DWORD's four bytes name
//   no folder, and the shipped Conduit Manager is not found (-1201).
// - "PDPath" and "HotSyncPath": bytes as text; a value that cannot name the
//   HotSync folder is a changed folder (-1209); an empty "HotSyncPath" is no
//   Palm Desktop (-1208). Nothing is touched.
// - Backup strings: REG_SZ as stored, read to their end when the zero is
//   missing; never cut: the Conduit Manager gets an overlong value whole. A
//   value of another type holds no text and reads as not set; an unset
//   "Conduit" means nothing to restore.
// - Backup integers: the value's first four bytes whatever its type, shorter
//   data zero-extended, none at all 0 (the profile's documented rule).

namespace {

std::string LongText(size_t length) {
    std::string text = "C:\\Long\\";
    while (text.size() < length) text += static_cast<char>('a' + text.size() % 26);
    text.resize(length);
    return text;
}

struct Form {
    std::string name;
    RawValue value;
};

// The hostile forms of a string value whose sound content is good.
std::vector<Form> StringForms(const std::string& good) {
    return {
        {"REG_DWORD", BytesValue(REG_DWORD, "AAAA")},
        {"no terminating zero", BytesValue(REG_SZ, good)},
        {"0 bytes", BytesValue(REG_SZ, "")},
        {"261 characters", StringValue(LongText(MAX_PATH + 1))},
        {"64 KB", StringValue(LongText(65535))},
    };
}

std::string BinaryOf(DWORD value, size_t length) {
    std::string bytes(reinterpret_cast<const char*>(&value), sizeof value);
    bytes.resize(length, '\x09');
    return bytes;
}

// Child entry: one export called with messages, as the product's installer
// or twpalmui calls it, each box closed and printed on a line of its own.
int CallExport(const std::string& which) {
    Module twpalm = Module::Load((BinDir() + "\\twpalm.dll").c_str());
    if (!twpalm) return 2;
    auto function = twpalm.Find<ExportFn>(which == "install" ? "InstallAllConduits" : "VerifyConduitDate");
    if (!function) return 3;
    MessageBoxDriver boxes;
    if (function(nullptr, which == "install" ? 0 : 1) != 0) return 4;
    for (const SeenMessageBox& box : boxes.seen()) {
        std::string text;
        for (char c : box.text) text += c == '\n' ? std::string("\\n") : std::string(1, c);
        std::printf("box: %s\n", text.c_str());
    }
    const std::string loaded = LoadedPalmLibraries();
    if (!loaded.empty()) std::printf("still loaded: %s\n", loaded.c_str());
    return 0;
}
ChildRegistration callExportChild("hostile-call", CallExport);

std::string ChildBoxLine(int code) {
    std::string text;
    for (char c : MessageFor(code)) text += c == '\n' ? std::string("\\n") : std::string(1, c);
    return "box: " + text + "\n";
}

class HardeningHostileRegistry : public Hardening {
protected:
    // Our conduits registered from the product folder, Palm Desktop where
    // it was at the last registration, the HotSync Manager closed.
    void ArrangeInstalled() {
        ResetRegistry(false);
        SetInstallValue("PDPath", palmDir_);
        RegisterOwnConduits();
    }

    // Runs op with its boxes answered; checks them, that every Palm library
    // is released and that the registry holds exactly expected.
    void RunAndExpect(const Operation& op, int code, const RegistryTree& expected) {
        {
            MessageBoxDriver driver;
            std::vector<ExpectedBox> boxes;
            if (code != 0) {
                boxes.push_back({MessageFor(code), kTopmostError});
                driver.Answer(IDOK);
            }
            Run(op);
            ExpectBoxes(boxes, driver.seen());
        }
        ExpectPalmLibrariesReleased();
        EXPECT_EQ("", Differences(expected, Snapshot()));
    }

    // A registration by this call: the tree with the creators' conduits set
    // and "PDPath" rewritten.
    RegistryTree Registered(RegistryTree tree, const std::map<std::string, StandInConduit>& conduits) {
        for (const auto& entry : conduits) SetConduitIn(&tree, entry.first, &entry.second);
        tree.values[kInstallKey + "|PDPath"] = StringValue(palmDir_);
        return tree;
    }

    int cases_ = 0;
};

}  // namespace

TEST_F(HardeningHostileRegistry, ProductPathThatCannotNameTheFolderChangesNothing) {
    const Operation install = {Export::kInstall, 0};
    const Operation uninstall = {Export::kUninstall, 0};
    const Operation verify = {Export::kVerifyDate, 1};
    for (const Form& form : StringForms(productDir_)) {
        SCOPED_TRACE("Path " + form.name);
        const bool usable = form.name == "no terminating zero";
        const int code = usable ? 0 : form.name == "REG_DWORD" ? -1201 : -1209;
        {
            SCOPED_TRACE("install");
            ResetRegistry(false);
            SetInstallValue("PDPath", kOldPalmDesktopPath);
            WriteRaw(HKEY_LOCAL_MACHINE, InstallKeyPath(), "Path", form.value);
            const RegistryTree before = Snapshot();
            RunAndExpect(install, code,
                         usable ? Registered(before, {{"date", OwnConduit("date", productDir_)},
                                                      {"todo", OwnConduit("todo", productDir_)}})
                                : before);
            if (!usable) {
                EXPECT_TRUE(palm_.CallLog().empty()) << "a Palm library was used";
            }
        }
        {
            SCOPED_TRACE("uninstall");
            ArrangeInstalled();
            RemoveStandInConduit("todo");
            WriteValues(HKEY_CURRENT_USER, BackupPath("DateBook"), BackupOf(PalmDateBook()));
            WriteRaw(HKEY_LOCAL_MACHINE, InstallKeyPath(), "Path", form.value);
            SetInstallValue("PDPath", kOldPalmDesktopPath);
            const RegistryTree before = Snapshot();
            RunAndExpect(uninstall, code, usable ? Registered(before, {{"date", Restored(PalmDateBook())}}) : before);
            if (!usable) {
                EXPECT_TRUE(palm_.CallLog().empty()) << "a Palm library was used";
            }
        }
        {
            SCOPED_TRACE("verify");
            ArrangeInstalled();
            WriteRaw(HKEY_LOCAL_MACHINE, InstallKeyPath(), "Path", form.value);
            const RegistryTree before = Snapshot();
            RunAndExpect(verify, code, before);
        }
        cases_ += 3;
    }
    std::printf("hostile registry: %d cases (Path)\n", cases_);
}

TEST_F(HardeningHostileRegistry, ProductPathMustLeaveRoomForItsFileNames) {
    // The longest "Path" that leaves room for "\CondMgr.dll" in MAX_PATH
    // works and is registered whole; one character more is refused.
    const std::string fits = productDir_ + "\\" + std::string(247 - productDir_.size() - 1, 'f');
    ASSERT_EQ(247u, fits.size());
    ASSERT_TRUE(CreateDirectoryA(fits.c_str(), nullptr));
    ASSERT_TRUE(CopyFileTo(StandInDir() + "\\CondMgr.dll", fits));
    WriteTextFile(fits + "\\twdate.dll", "Date Book conduit");
    WriteTextFile(fits + "\\twtask.dll", "To Do List conduit");
    ResetRegistry(false);
    SetInstallValue("Path", fits);
    RegistryTree before = Snapshot();
    RunAndExpect({Export::kInstall, 0}, 0,
                 Registered(before, {{"date", OwnConduit("date", fits)}, {"todo", OwnConduit("todo", fits)}}));
    ASSERT_EQ(258u, palm_.Conduit("date").strings["Name"].size());
    before = Snapshot();
    RunAndExpect({Export::kVerifyDate, 1}, 0, before);
    RunAndExpect({Export::kVerifyTask, 1}, 0, before);
    SetConduitIn(&before, "date", nullptr);
    SetConduitIn(&before, "todo", nullptr);
    // Looking for a backup leaves its keys behind, as every profile read.
    for (const char* key : {"", "\\Orvelle", "\\Orvelle\\Backup", "\\Orvelle\\Backup\\DateBook",
                            "\\Orvelle\\Backup\\ToDoList"}) {
        before.keys.insert(std::string("HKCU\\Software\\Quillon Software") + key);
    }
    RunAndExpect({Export::kUninstall, 0}, 0, before);

    // Folders one and five characters longer, with everything in them where
    // the file system allows it: refused before any Palm library is loaded.
    // (Registered from the longer one, our conduit's name would no longer
    // fit the buffer it is read back into.)
    for (size_t extra : {1u, 5u}) {
        SCOPED_TRACE("Path of " + std::to_string(247 + extra) + " characters");
        const std::string overlong = fits + std::string(extra, 'g');
        if (CreateDirectoryA(overlong.c_str(), nullptr)) {
            CopyFileTo(StandInDir() + "\\CondMgr.dll", overlong);
            WriteTextFile(overlong + "\\twdate.dll", "Date Book conduit");
            WriteTextFile(overlong + "\\twtask.dll", "To Do List conduit");
        }
        ResetRegistry(false);
        SetInstallValue("Path", overlong);
        SetInstallValue("PDPath", palmDir_);
        palm_.RegisterConduit("date", OwnConduit("date", overlong));
        palm_.RegisterConduit("todo", OwnConduit("todo", overlong));
        before = Snapshot();
        RunAndExpect({Export::kInstall, 0}, -1209, before);
        RunAndExpect({Export::kVerifyDate, 1}, -1209, before);
        RunAndExpect({Export::kUninstall, 0}, -1209, before);
        EXPECT_TRUE(palm_.CallLog().empty()) << "a Palm library was used";
    }
    std::printf("hostile registry: 10 cases (Path length)\n");
}

TEST_F(HardeningHostileRegistry, RecordedPalmDesktopPathThatCannotMatchAsksForReinstall) {
    for (const Operation& op : {Operation{Export::kVerifyDate, 1}, Operation{Export::kVerifyTask, 1}}) {
        for (const Form& form : StringForms(palmDir_)) {
            SCOPED_TRACE(op.Name() + ", PDPath " + form.name);
            ArrangeInstalled();
            WriteRaw(HKEY_LOCAL_MACHINE, InstallKeyPath(), "PDPath", form.value);
            const bool usable = form.name == "no terminating zero";
            RunAndExpect(op, usable ? 0 : -1209, Snapshot());
            if (!usable) {
                EXPECT_TRUE(palm_.CallLog().empty()) << "a Palm library was used";
            }
            ++cases_;
        }
    }
    std::printf("hostile registry: %d cases (PDPath)\n", cases_);
}

TEST_F(HardeningHostileRegistry, HotSyncPathThatCannotNameTheFolderIsAChangedFolder) {
    const std::string core = "Software\\U.S. Robotics\\Pilot Desktop\\Core";
    for (const Form& form : StringForms(palmDir_ + "\\HotSync.exe")) {
        SCOPED_TRACE("HotSyncPath " + form.name);
        ArrangeInstalled();
        WriteRaw(HKEY_CURRENT_USER, core, "HotSyncPath", form.value);
        const bool usable = form.name == "no terminating zero";
        RunAndExpect({Export::kVerifyDate, 1}, usable ? 0 : form.name == "0 bytes" ? -1208 : -1209, Snapshot());
        EXPECT_EQ(usable ? 1 : 0, palm_.CountCalls("CmGetCreatorName(date)"));
        ++cases_;
    }
    std::printf("hostile registry: %d cases (HotSyncPath)\n", cases_);
}

TEST_F(HardeningHostileRegistry, BackupValuesAreRestoredWholeOrNotAtAll) {
    // Backup value, the stand-in's field it is restored to, a sound text.
    const std::vector<std::vector<std::string>> strings = {
        {"Conduit", "Name", "C:\\Palm\\Datebook3.dll"}, {"Module", "Module", "date.mod"},
        {"Directory", "Directory", "datebook"},          {"File0", "File", "datebook.dat"},
        {"Remote0", "Remote", "DatebookDB"},             {"Information", "Info", "Palm Date Book conduit"},
        {"Username", "User", "Jane Doe"},                {"Name", "Title", "Date Book"},
        {"Arguments", "Arguments", "-full"},
    };
    for (const auto& value : strings) {
        for (const Form& form : StringForms(value[2])) {
            SCOPED_TRACE(value[0] + " " + form.name);
            ArrangeInstalled();
            RemoveStandInConduit("todo");
            SetInstallValue("PDPath", kOldPalmDesktopPath);
            std::map<std::string, RawValue> backup = BackupOf(PalmDateBook());
            backup[value[0]] = form.value;
            WriteValues(HKEY_CURRENT_USER, BackupPath("DateBook"), backup);
            const RegistryTree before = Snapshot();

            // The text the Conduit Manager must get: as stored, whole; none
            // from a value that is empty or not a string.
            StandInConduit restored = Restored(PalmDateBook());
            std::string text;
            if (form.name == "no terminating zero") text = value[2];
            if (form.value.type == REG_SZ && form.value.data.size() > MAX_PATH) {
                text = LongText(form.value.data.size() - 1);
            }
            if (text.empty()) {
                restored.strings.erase(value[1]);
            } else {
                restored.strings[value[1]] = text;
            }
            if (value[0] == "Conduit" && text.empty()) {
                // Nothing usable saved: ours is removed, nothing comes back.
                RegistryTree expected = before;
                SetConduitIn(&expected, "date", nullptr);
                RunAndExpect({Export::kUninstall, 0}, 0, expected);
            } else {
                RunAndExpect({Export::kUninstall, 0}, 0, Registered(before, {{"date", restored}}));
            }
            ++cases_;
        }
    }
    const std::vector<Form> numberForms = {
        {"REG_SZ", StringValue("7")},
        {"REG_BINARY", BytesValue(REG_BINARY, BinaryOf(7, 4))},
        {"REG_BINARY of 2 bytes", BytesValue(REG_BINARY, BinaryOf(0x0107, 2))},
        {"0 bytes", BytesValue(REG_DWORD, "")},
        {"REG_BINARY of 261 bytes", BytesValue(REG_BINARY, BinaryOf(0x0A0B0C0D, MAX_PATH + 1))},
        {"REG_BINARY of 64 KB", BytesValue(REG_BINARY, BinaryOf(0x01020304, 65536))},
    };
    const std::vector<DWORD> numbers = {'7', 7, 0x0107, 0, 0x0A0B0C0D, 0x01020304};
    for (const char* name : {"Priority", "Integrate"}) {
        for (size_t i = 0; i < numberForms.size(); ++i) {
            SCOPED_TRACE(std::string(name) + " " + numberForms[i].name);
            ArrangeInstalled();
            RemoveStandInConduit("todo");
            SetInstallValue("PDPath", kOldPalmDesktopPath);
            std::map<std::string, RawValue> backup = BackupOf(PalmDateBook());
            backup[name] = numberForms[i].value;
            WriteValues(HKEY_CURRENT_USER, BackupPath("DateBook"), backup);
            const RegistryTree before = Snapshot();
            StandInConduit restored = Restored(PalmDateBook());
            restored.numbers[name] = numbers[i];
            RunAndExpect({Export::kUninstall, 0}, 0, Registered(before, {{"date", restored}}));
            ++cases_;
        }
    }
    std::printf("hostile registry: %d cases (backup)\n", cases_);
}

TEST_F(HardeningHostileRegistry, PerUserFallbackBeforeVistaReadsTheSameWay) {
    struct Case {
        std::string name;
        std::string call;  // "install" or "verify"
        std::function<void()> arrange;
        int code;
        bool registers;
    };
    std::vector<Case> cases;
    for (const Form& form : StringForms(productDir_)) {
        const bool usable = form.name == "no terminating zero";
        const int code = usable ? 0 : form.name == "REG_DWORD" ? -1201 : -1209;
        const RawValue value = form.value;
        cases.push_back({"install, per-user Path " + form.name, "install",
                         [this, value] {
                             ResetRegistry(false);
                             DeleteValue(HKEY_LOCAL_MACHINE, InstallKeyPath(), "Path");
                             SetInstallValue("PDPath", kOldPalmDesktopPath);
                             WriteRaw(HKEY_CURRENT_USER, InstallKeyPath(), "Path", value);
                         },
                         code, usable});
        cases.push_back({"verify, per-user Path " + form.name, "verify",
                         [this, value] {
                             ArrangeInstalled();
                             DeleteValue(HKEY_LOCAL_MACHINE, InstallKeyPath(), "Path");
                             WriteRaw(HKEY_CURRENT_USER, InstallKeyPath(), "Path", value);
                         },
                         code, false});
    }
    for (const Form& form : StringForms(palmDir_)) {
        const RawValue value = form.value;
        cases.push_back({"verify, per-user PDPath " + form.name, "verify",
                         [this, value] {
                             ArrangeInstalled();
                             DeleteValue(HKEY_LOCAL_MACHINE, InstallKeyPath(), "PDPath");
                             WriteRaw(HKEY_CURRENT_USER, InstallKeyPath(), "PDPath", value);
                         },
                         form.name == "no terminating zero" ? 0 : -1209, false});
    }
    // Only an empty machine-wide value falls back; a hostile one does not.
    cases.push_back({"install, machine-wide Path of 0 bytes", "install",
                     [this] {
                         ResetRegistry(false);
                         SetInstallValue("PDPath", kOldPalmDesktopPath);
                         WriteRaw(HKEY_LOCAL_MACHINE, InstallKeyPath(), "Path", BytesValue(REG_SZ, ""));
                         SetInstallValue("Path", productDir_, true);
                     },
                     0, true});
    cases.push_back({"install, machine-wide Path of 64 KB", "install",
                     [this] {
                         ResetRegistry(false);
                         SetInstallValue("PDPath", kOldPalmDesktopPath);
                         WriteRaw(HKEY_LOCAL_MACHINE, InstallKeyPath(), "Path", StringValue(LongText(65535)));
                         SetInstallValue("Path", productDir_, true);
                     },
                     -1209, false});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        const RegistryTree before = Snapshot();
        const ChildResult child = RunChildAs("winxp", "hostile-call", c.call);
        ASSERT_EQ(0, child.exitCode) << child.output;
        std::string output;
        for (char ch : child.output) {
            if (ch != '\r') output += ch;
        }
        EXPECT_EQ(c.code ? ChildBoxLine(c.code) : "", output);
        EXPECT_EQ("", Differences(c.registers ? Registered(before, {{"date", OwnConduit("date", productDir_)},
                                                                    {"todo", OwnConduit("todo", productDir_)}})
                                              : before,
                                  Snapshot()));
        ++cases_;
    }
    std::printf("hostile registry: %d cases (per-user fallback)\n", cases_);
}
