#pragma once

// Drives the real twpalm.dll through its four exports against the Palm
// Desktop stand-ins: the library is loaded from the build's bin folder, its
// message boxes are recorded with their exact flags and its 500 ms HotSync
// waits return at once and are counted.

#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/installer_messages.h"
#include "tests/support/import_patch.h"
#include "tests/support/message_box_driver.h"
#include "tests/support/palm_desktop.h"
#include "tests/support/product_state.h"
#include "tests/support/registry.h"

namespace installertest {

using ExportFn = int(WINAPI*)(HWND, int);
using testsupport::RawValue;
using testsupport::StandInConduit;

constexpr char kCaption[] = "Tidewell for Palm";
constexpr UINT kErrorFlags = MB_OK | MB_ICONEXCLAMATION;
constexpr UINT kQuestionFlags = MB_YESNO | MB_ICONQUESTION;

// The exports of CondMgr.dll, each of which has a stand-in variant without it.
extern const std::vector<std::string> kConduitManagerFunctions;

// HKCU path of a conduit's backup record ("DateBook", "ToDoList").
std::string BackupPath(const std::string& backupKey);
// The backup record the library writes for a registered foreign conduit,
// value by value.
std::map<std::string, RawValue> BackupOf(const StandInConduit& conduit);
// The backup record as stored now.
std::map<std::string, RawValue> StoredBackup(const std::string& backupKey);

// The Palm Desktop libraries loaded in this process right now, by name;
// empty when none is.
std::string LoadedPalmLibraries();

// This product's conduit for "date" or "todo" as the stand-in Conduit
// Manager stores it after a registration from productDir.
StandInConduit OwnConduit(const std::string& creator, const std::string& productDir);
// Palm's own Date Book conduit, every field but Module set, no type recorded.
StandInConduit PalmDateBook();
// A sparse foreign To Do List conduit: library, module and title only.
StandInConduit SparseToDoList();
// The record registered again from a backup of conduit: what it had, type 1,
// and 0 for a missing priority or integrate.
StandInConduit Restored(StandInConduit conduit);

class InstallerTest : public testsupport::ProductTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The exports. Each expects the result 0 and that no Palm library stays
    // loaded once it returns.
    void Install(HWND owner = nullptr, int quiet = 0) { Call("InstallAllConduits", install_, owner, quiet); }
    void Uninstall(HWND owner = nullptr, int quiet = 0) { Call("UninstallAllConduits", uninstall_, owner, quiet); }
    void VerifyDate(HWND owner = nullptr, int interactive = 1) {
        Call("VerifyConduitDate", verifyDate_, owner, interactive);
    }
    void VerifyTask(HWND owner = nullptr, int interactive = 1) {
        Call("VerifyConduitTask", verifyTask_, owner, interactive);
    }
    // The export of that name, for tables of them.
    void CallExport(const std::string& name, HWND owner, int flag);
    HMODULE twpalm() const { return twpalm_; }

    // The next message box is answered with button.
    void AnswerWith(int button) { boxes_->Answer(button); }
    // The boxes shown since the last call. Every box a test causes must be
    // taken here (through the Expect functions below): TearDown checks it.
    std::vector<testsupport::SeenMessageBox> NewBoxes();
    // Exactly one new box: an error report with this text.
    void ExpectErrorBox(const std::string& text, HWND owner = nullptr);
    // Exactly one new box: the install question with this text.
    void ExpectQuestion(const std::string& text, HWND owner = nullptr);
    // New boxes, in order: the question, then the error report.
    void ExpectQuestionThenError(const std::string& question, const std::string& error);
    void ExpectNoBox();

    void ExpectConduit(const std::string& creator, const StandInConduit& expected);
    void ExpectNoConduit(const std::string& creator);
    void ExpectPalmDesktopPath(const std::string& directory);

    // Starts the test's product state afresh (folders, registry, stand-ins).
    void ResetProduct();
    // Copies a stand-in variant's DLL into the product folder and/or the
    // HotSync folder ("condmgr-without-CmInstallCreator", "CondMgr.dll").
    void PutVariant(const std::string& variant, const char* dll, bool productFolder, bool hotSyncFolder);
    // Palm Desktop without a HotSync path for the current user.
    void RemoveHotSyncPath();
    // The creator's registration removed behind the library's back.
    void RemoveStandInConduit(const std::string& creator);
    // Our conduits registered from the product folder, as after an install.
    void RegisterOwnConduits();
    // The stand-in's call log entries that start with one of the prefixes.
    std::vector<std::string> CallsStartingWith(const std::vector<std::string>& prefixes) const;
    // Waits of 500 ms the library asked for since SetUp.
    int HotSyncWaits() const { return testsupport::SleepRecorder::Count(500); }

    // A visible top-level window of the test to own the boxes.
    HWND CreateOwnerWindow();

private:
    void Call(const char* name, ExportFn function, HWND owner, int flag);

    HMODULE twpalm_ = nullptr;
    ExportFn install_ = nullptr;
    ExportFn uninstall_ = nullptr;
    ExportFn verifyDate_ = nullptr;
    ExportFn verifyTask_ = nullptr;
    std::unique_ptr<testsupport::SleepRecorder> sleeps_;
    std::unique_ptr<testsupport::MessageBoxDriver> boxes_;
    std::unique_ptr<testsupport::ImportPatch> boxTimeCheck_;
    size_t boxesTaken_ = 0;
    std::vector<HWND> windows_;
};

}  // namespace installertest
