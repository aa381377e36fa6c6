// VerifyConduitDate / VerifyConduitTask: the check that our conduit is still
// registered from the product folder and Palm Desktop has not moved, the
// offer to install it again, and silence when not interactive.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "common/reg_key.h"
#include "tests/installer_fixture.h"

using namespace installertest;
using namespace testsupport;

namespace {

class VerifyConduit : public InstallerTest {
protected:
    void SetUp() override {
        InstallerTest::SetUp();
        SetInstallValue("PDPath", palmDir_);
    }
};

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

StandInConduit RegisteredAs(const std::string& creator, const std::string& library, const std::string& productDir) {
    StandInConduit conduit = OwnConduit(creator, productDir);
    conduit.strings["Name"] = library;
    return conduit;
}

struct Scenario {
    const char* name;
    std::function<void()> arrange;
    std::string shown;  // what an interactive check of the Date Book shows
};

}  // namespace

TEST_F(VerifyConduit, UnregisteredConduitIsOfferedAndYesInstallsIt) {
    palm_.RegisterConduit("date", PalmDateBook());
    AnswerWith(IDYES);
    VerifyDate();
    ExpectQuestion(message::kDateQuestion);
    ExpectConduit("date", OwnConduit("date", productDir_));
    ExpectNoConduit("todo");
    EXPECT_EQ(StringValue(PalmDateBook().strings.at("Name")),
              ReadRawValue(HKEY_CURRENT_USER, BackupPath("DateBook"), "Conduit"));
    // Registered now: nothing more to ask.
    VerifyDate();

    AnswerWith(IDYES);
    VerifyTask();
    ExpectQuestion(message::kTaskQuestion);
    ExpectConduit("todo", OwnConduit("todo", productDir_));
    VerifyTask();
}

TEST_F(VerifyConduit, NoChangesNothingAndTheQuestionComesAgain) {
    for (int round = 0; round < 2; ++round) {
        AnswerWith(IDNO);
        VerifyDate();
        ExpectQuestion(message::kDateQuestion);
        AnswerWith(IDNO);
        VerifyTask();
        ExpectQuestion(message::kTaskQuestion);
    }
    ExpectNoConduit("date");
    ExpectNoConduit("todo");
    EXPECT_EQ(0, palm_.CountCalls("CmInstallCreator"));
}

TEST_F(VerifyConduit, NonInteractiveCheckNeitherAsksNorInstalls) {
    VerifyDate(nullptr, 0);
    VerifyTask(CreateOwnerWindow(), 0);
    ExpectNoConduit("date");
    ExpectNoConduit("todo");
    // It did look.
    EXPECT_EQ(1, palm_.CountCalls("CmGetCreatorName(date)"));
    EXPECT_EQ(1, palm_.CountCalls("CmGetCreatorName(todo)"));
    EXPECT_EQ(0, palm_.CountCalls("CmInstallCreator"));
}

TEST_F(VerifyConduit, ConduitFromAnotherFolderOrWithoutOneIsOfferedAgain) {
    palm_.RegisterConduit("date", RegisteredAs("date", "C:\\Old Place\\twdate.dll", productDir_));
    AnswerWith(IDYES);
    VerifyDate();
    ExpectQuestion(message::kDateQuestion);
    ExpectConduit("date", OwnConduit("date", productDir_));
    // Ours from elsewhere is not a foreign conduit to save.
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, BackupPath("DateBook")));

    const StandInConduit bare = RegisteredAs("todo", "twtask.dll", productDir_);
    palm_.RegisterConduit("todo", bare);
    AnswerWith(IDNO);
    VerifyTask();
    ExpectQuestion(message::kTaskQuestion);
    ExpectConduit("todo", bare);
}

TEST_F(VerifyConduit, RegistrationMatchesTheProductFolderInAnyLetterCase) {
    palm_.RegisterConduit("date", RegisteredAs("date", Upper(productDir_ + "\\twdate.dll"), productDir_));
    palm_.RegisterConduit("todo", RegisteredAs("todo", Upper(productDir_) + "\\TwTask.Dll", productDir_));
    VerifyDate();
    VerifyTask();
    EXPECT_EQ(0, palm_.CountCalls("CmRemoveConduitByCreatorID"));
}

TEST_F(VerifyConduit, MissingRecordOfPalmDesktopAsksForReinstall) {
    for (bool present : {true, false}) {
        SCOPED_TRACE(present ? "empty PDPath" : "no PDPath");
        if (present) {
            SetInstallValue("PDPath", "");
        } else {
            ASSERT_TRUE(DeleteValue(HKEY_LOCAL_MACHINE, InstallKeyPath(), "PDPath"));
        }
        AnswerWith(IDOK);
        VerifyDate();
        ExpectErrorBox(message::kReinstall);
        AnswerWith(IDOK);
        VerifyTask();
        ExpectErrorBox(message::kReinstall);
    }
    ExpectNoConduit("date");
    EXPECT_TRUE(palm_.CallLog().empty());
}

TEST_F(VerifyConduit, MovedPalmDesktopAsksForReinstallWithoutOfferingTheConduit) {
    palm_.SetHotSyncPath("C:\\Palm Elsewhere\\HotSync.exe");
    AnswerWith(IDOK);
    VerifyDate();
    ExpectErrorBox(message::kReinstall);
    ExpectNoConduit("date");
    EXPECT_TRUE(palm_.CallLog().empty());
}

TEST_F(VerifyConduit, HotSyncPathNamesTheFolderOrTheProgramInIt) {
    struct Case {
        std::string hotSyncPath;
        bool matches;
    };
    const Case cases[] = {
        {Upper(palmDir_) + "\\HOTSYNC.EXE", true},
        {palmDir_ + "\\HotSync.Exe", true},
        {palmDir_, true},                         // no program: the folder itself
        {Upper(palmDir_), true},
        {palmDir_ + "\\HotSync.bin", false},      // not ".exe": compared whole
        {palmDir_ + "\\HotSync.exe\\", false},
        {palmDir_ + "\\Sub\\HotSync.exe", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hotSyncPath);
        palm_.SetHotSyncPath(c.hotSyncPath);
        AnswerWith(c.matches ? IDNO : IDOK);
        VerifyDate();
        if (c.matches) {
            ExpectQuestion(message::kDateQuestion);
        } else {
            ExpectErrorBox(message::kReinstall);
        }
    }
}

TEST_F(VerifyConduit, NoHotSyncPathAsksForPalmDesktop) {
    RemoveHotSyncPath();
    for (int call = 0; call < 2; ++call) {
        AnswerWith(IDOK);
        if (call == 0) {
            VerifyDate();
        } else {
            VerifyTask();
        }
        ExpectErrorBox(
            message::kNoPalmDesktop);
    }
}

TEST_F(VerifyConduit, HotSyncPathTooLongForAPathIsAChangedFolder) {
    // The longest path that fits, naming the program in the recorded folder.
    const std::string longFolder = "C:\\" + std::string(MAX_PATH - 1 - 3 - 12, 'p');
    SetInstallValue("PDPath", longFolder);
    palm_.SetHotSyncPath(longFolder + "\\HotSync.exe");
    ASSERT_EQ(static_cast<size_t>(MAX_PATH - 1), (longFolder + "\\HotSync.exe").size());
    AnswerWith(IDNO);
    VerifyDate();
    ExpectQuestion(message::kDateQuestion);

    // One more character: cut to fit, it would still seem to name the folder.
    palm_.SetHotSyncPath(longFolder + "\\HotSync.exe" + "x");
    AnswerWith(IDOK);
    VerifyDate();
    ExpectErrorBox(message::kReinstall);

    // 300 characters whose first 259 end in a program in the recorded folder.
    SetInstallValue("PDPath", palmDir_);
    std::string program = palmDir_ + "\\";
    program += std::string(MAX_PATH - 1 - program.size() - 4, 'h') + ".exe";
    ASSERT_EQ(static_cast<size_t>(MAX_PATH - 1), program.size());
    std::string overlong = program + "\\";
    overlong += std::string(300 - overlong.size() - 4, 's') + ".exe";
    ASSERT_EQ(300u, overlong.size());
    palm_.SetHotSyncPath(overlong);
    AnswerWith(IDOK);
    VerifyDate();
    ExpectErrorBox(message::kReinstall);
    VerifyTask(nullptr, 0);
}

// Our conduits registered, Palm Desktop where it was, and the Conduit
// Manager of both folders without the export named by the parameter.
class VerifyConduitWithout : public VerifyConduit, public ::testing::WithParamInterface<std::string> {
protected:
    void SetUp() override {
        VerifyConduit::SetUp();
        if (HasFatalFailure()) return;
        RegisterOwnConduits();
        PutVariant("condmgr-without-" + GetParam(), "CondMgr.dll", true, true);
    }
};

INSTANTIATE_TEST_SUITE_P(EachExport, VerifyConduitWithout, ::testing::ValuesIn(kConduitManagerFunctions),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

TEST_P(VerifyConduitWithout, OnlyCmGetCreatorNameIsNeeded) {
    const bool needed = GetParam() == "CmGetCreatorName";
    if (needed) AnswerWith(IDOK);
    VerifyDate();
    if (needed) ExpectErrorBox(message::kInvalidCondMgr);
}

TEST_F(VerifyConduit, WithoutTheShippedConduitManagerNothingIsChecked) {
    RegisterOwnConduits();
    ASSERT_TRUE(DeleteFileA((productDir_ + "\\CondMgr.dll").c_str()));
    AnswerWith(IDOK);
    VerifyTask();
    ExpectErrorBox(message::kCondMgrNotIncluded);
}

TEST_F(VerifyConduit, InstallAfterYesReportsItsOwnFailure) {
    ASSERT_TRUE(DeleteFileA((productDir_ + "\\twdate.dll").c_str()));
    AnswerWith(IDYES);
    AnswerWith(IDOK);
    VerifyDate();
    ExpectQuestionThenError(message::kDateQuestion, message::kConduitNotFound);

    palm_.SetHotSync(true, true);
    AnswerWith(IDYES);
    AnswerWith(IDOK);
    VerifyTask();
    ExpectQuestionThenError(message::kTaskQuestion, message::kHotSyncInProgress);
    ExpectNoConduit("todo");
    EXPECT_TRUE(palm_.Running());
}

TEST_F(VerifyConduit, NonInteractiveCheckShowsNothingOnAnyFailure) {
    const std::vector<Scenario> scenarios = {
        {"no Path",
         [] { DeleteValue(HKEY_LOCAL_MACHINE, InstallKeyPath(), "Path"); },
         message::kReinstall},
        {"empty PDPath", [this] { SetInstallValue("PDPath", ""); }, message::kReinstall},
        {"Palm Desktop moved", [this] { palm_.SetHotSyncPath("C:\\Moved\\HotSync.exe"); }, message::kReinstall},
        {"no HotSync path", [this] { RemoveHotSyncPath(); },
         message::kNoPalmDesktop},
        {"no shipped CondMgr.dll", [this] { DeleteFileA((productDir_ + "\\CondMgr.dll").c_str()); },
         message::kCondMgrNotIncluded},
        {"CondMgr.dll without CmGetCreatorName",
         [this] { PutVariant("condmgr-without-CmGetCreatorName", "CondMgr.dll", true, true); },
         message::kInvalidCondMgr},
        {"not registered", [this] { RemoveStandInConduit("date"); RemoveStandInConduit("todo"); }, message::kDateQuestion},
    };
    for (const Scenario& scenario : scenarios) {
        SCOPED_TRACE(scenario.name);
        ResetProduct();
        SetInstallValue("PDPath", palmDir_);
        RegisterOwnConduits();
        scenario.arrange();
        VerifyDate(nullptr, 0);
        VerifyTask(nullptr, 0);
        ExpectNoBox();

        // Interactive, the same check shows exactly one box.
        const bool question = scenario.shown == message::kDateQuestion;
        AnswerWith(question ? IDNO : IDOK);
        VerifyDate(nullptr, 1);
        if (question) {
            ExpectQuestion(scenario.shown);
        } else {
            ExpectErrorBox(scenario.shown);
        }
    }
}
