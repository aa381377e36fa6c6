// The HotSync Manager around each registration change: closed while idle and
// started again, left alone while synchronising, waited for at most 60
// checks, and the HotSync API's missing functions.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/installer_fixture.h"

using namespace installertest;
using namespace testsupport;

namespace {

class HotSyncPause : public InstallerTest {};

const std::vector<std::string> kPauseAndChanges = {"HsSetAppStatus", "CmRemoveConduitByCreatorID",
                                                   "CmInstallCreator", "CmSetCreatorTitle"};

}  // namespace

TEST_F(HotSyncPause, RunningIdleManagerIsClosedForEachChangeAndStartedAgain) {
    palm_.SetHotSync(true);
    palm_.SetCloseAfterChecks(3);
    palm_.SetStartAfterChecks(2);
    palm_.RegisterConduit("date", PalmDateBook());
    Install();
    ExpectConduit("date", OwnConduit("date", productDir_));
    ExpectConduit("todo", OwnConduit("todo", productDir_));
    EXPECT_TRUE(palm_.Running());

    // Every change happens while the manager is closed: two pauses per conduit.
    const std::vector<std::string> expected = {
        "HsSetAppStatus(0,0)", "CmRemoveConduitByCreatorID(date)", "HsSetAppStatus(1,0)",
        "HsSetAppStatus(0,0)", "CmInstallCreator(date,1)", "CmSetCreatorTitle(date,Almanor Dates)",
        "HsSetAppStatus(1,0)",
        "HsSetAppStatus(0,0)", "CmRemoveConduitByCreatorID(todo)", "HsSetAppStatus(1,0)",
        "HsSetAppStatus(0,0)", "CmInstallCreator(todo,1)", "CmSetCreatorTitle(todo,Almanor Tasks)",
        "HsSetAppStatus(1,0)",
    };
    EXPECT_EQ(expected, CallsStartingWith(kPauseAndChanges));
    // One wait after each check that still found the old state: 3 + 2 per pause.
    EXPECT_EQ(4 * (3 + 2), HotSyncWaits());

    // The uninstall pauses for each removal and for the one restore.
    palm_.ClearCallLog();
    Uninstall();
    EXPECT_EQ(3, palm_.CountCalls("HsSetAppStatus(0,0)"));
    EXPECT_EQ(3, palm_.CountCalls("HsSetAppStatus(1,0)"));
    EXPECT_TRUE(palm_.Running());
    ExpectConduit("date", Restored(PalmDateBook()));
}

TEST_F(HotSyncPause, ClosedManagerIsNeitherAskedNorStarted) {
    palm_.SetHotSync(false);
    Install();
    Uninstall();
    EXPECT_EQ(0, palm_.CountCalls("HsSetAppStatus"));
    EXPECT_EQ(0, HotSyncWaits());
    EXPECT_FALSE(palm_.Running());
}

TEST_F(HotSyncPause, SynchronisationInProgressChangesNothing) {
    palm_.SetHotSync(true, true);
    palm_.RegisterConduit("date", PalmDateBook());
    AnswerWith(IDOK);
    Install();
    ExpectErrorBox(message::kHotSyncInProgress);
    ExpectConduit("date", PalmDateBook());
    ExpectNoConduit("todo");

    RemoveStandInConduit("date");
    RegisterOwnConduits();
    AnswerWith(IDOK);
    Uninstall();
    ExpectErrorBox(message::kHotSyncInProgress);
    ExpectConduit("date", OwnConduit("date", productDir_));
    ExpectConduit("todo", OwnConduit("todo", productDir_));

    EXPECT_TRUE(palm_.Running());
    EXPECT_EQ(0, palm_.CountCalls("HsSetAppStatus"));
    EXPECT_EQ(0, palm_.CountCalls("CmRemoveConduitByCreatorID"));
    EXPECT_EQ(0, HotSyncWaits());
}

TEST_F(HotSyncPause, ManagerThatCannotTellWhetherItSynchronisesCountsAsBusy) {
    palm_.SetHotSync(true);
    palm_.Fail("HsGetSyncStatus", -1);
    AnswerWith(IDOK);
    Install();
    ExpectErrorBox(message::kHotSyncInProgress);
    ExpectNoConduit("date");

    ResetProduct();
    PutVariant("hsapi-without-HsGetSyncStatus", "HsApi.dll", false, true);
    palm_.SetHotSync(true);
    AnswerWith(IDOK);
    Install();
    ExpectErrorBox(message::kHotSyncInProgress);
    ExpectNoConduit("date");
    EXPECT_EQ(0, palm_.CountCalls("HsSetAppStatus"));

    // Not running, it need not tell.
    palm_.SetHotSync(false);
    Install();
    ExpectConduit("date", OwnConduit("date", productDir_));
}

TEST_F(HotSyncPause, ManagerThatNeverClosesIsWaitedForSixtyChecksEachTime) {
    palm_.SetHotSync(true);
    palm_.SetCloseAfterChecks(PalmDesktop::kNever);
    Install();
    ExpectConduit("date", OwnConduit("date", productDir_));
    ExpectConduit("todo", OwnConduit("todo", productDir_));
    EXPECT_EQ(4 * 60, HotSyncWaits());
    EXPECT_EQ(4, palm_.CountCalls("HsSetAppStatus(0,0)"));
    // Still running at the end of each pause: nothing to start.
    EXPECT_EQ(0, palm_.CountCalls("HsSetAppStatus(1,0)"));
    EXPECT_TRUE(palm_.Running());
}

TEST_F(HotSyncPause, ManagerThatNeverComesBackIsWaitedForSixtyChecks) {
    palm_.SetHotSync(true);
    palm_.SetStartAfterChecks(PalmDesktop::kNever);
    Install();
    ExpectConduit("date", OwnConduit("date", productDir_));
    ExpectConduit("todo", OwnConduit("todo", productDir_));
    // Closed at once by the first pause, it then stays closed: the later
    // changes find it not running and do not pause.
    EXPECT_EQ(60, HotSyncWaits());
    EXPECT_EQ(1, palm_.CountCalls("HsSetAppStatus(0,0)"));
    EXPECT_EQ(1, palm_.CountCalls("HsSetAppStatus(1,0)"));
    EXPECT_FALSE(palm_.Running());
}

TEST_F(HotSyncPause, WithoutHsSetAppStatusThePauseOnlyWaits) {
    PutVariant("hsapi-without-HsSetAppStatus", "HsApi.dll", false, true);
    palm_.SetHotSync(true);
    Install();
    ExpectConduit("date", OwnConduit("date", productDir_));
    ExpectConduit("todo", OwnConduit("todo", productDir_));
    EXPECT_EQ(4 * 60, HotSyncWaits());
    EXPECT_TRUE(palm_.Running());
}

TEST_F(HotSyncPause, WithoutHsCheckApiStatusThereIsNoPause) {
    PutVariant("hsapi-without-HsCheckApiStatus", "HsApi.dll", false, true);
    // Even a synchronising manager: it cannot be seen running.
    palm_.SetHotSync(true, true);
    Install();
    ExpectConduit("date", OwnConduit("date", productDir_));
    ExpectConduit("todo", OwnConduit("todo", productDir_));
    EXPECT_EQ(0, HotSyncWaits());
    EXPECT_EQ(0, palm_.CountCalls("HsSetAppStatus"));
    EXPECT_EQ(0, palm_.CountCalls("HsGetSyncStatus"));
    EXPECT_TRUE(palm_.Running());
}
