// The Palm Desktop stand-ins where their behaviour is not obvious: the
// HotSync Manager's close and start countdowns, injected failures, users.
#include <gtest/gtest.h>

#include <string>

#include "common/module.h"
#include "common/palm_api.h"
#include "tests/support/product_state.h"
#include "tests/support/test_paths.h"

using namespace testsupport;

namespace {

class StandInTest : public ProductTest {
protected:
    void SetUp() override {
        ProductTest::SetUp();
        hsapi_ = Module::Load((palmDir_ + "\\HsApi.dll").c_str());
        ASSERT_TRUE(hsapi_);
        check_ = hsapi_.Find<palm::HsCheckApiStatusFn>("HsCheckApiStatus");
        setStatus_ = hsapi_.Find<palm::HsSetAppStatusFn>("HsSetAppStatus");
    }
    Module hsapi_;
    palm::HsCheckApiStatusFn check_ = nullptr;
    palm::HsSetAppStatusFn setStatus_ = nullptr;
};

}  // namespace

TEST_F(StandInTest, HotSyncManagerClosesAfterTheConfiguredChecks) {
    palm_.SetHotSync(true);
    palm_.SetCloseAfterChecks(2);
    EXPECT_EQ(0, check_());
    setStatus_(palm::kAppStatusClose, 0);
    EXPECT_EQ(0, check_());
    EXPECT_EQ(0, check_());
    EXPECT_NE(0, check_());
    EXPECT_FALSE(palm_.Running());

    palm_.SetStartAfterChecks(0);
    setStatus_(palm::kAppStatusStart, 0);
    EXPECT_EQ(0, check_());
    EXPECT_TRUE(palm_.Running());
}

TEST_F(StandInTest, HotSyncManagerThatNeverClosesKeepsRunning) {
    palm_.SetHotSync(true);
    palm_.SetCloseAfterChecks(PalmDesktop::kNever);
    setStatus_(palm::kAppStatusClose, 0);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(0, check_());
}

TEST_F(StandInTest, InjectedFailureIsReturnedAndLogged) {
    palm_.Fail("HsCheckApiStatus", -1234);
    palm_.SetHotSync(true);
    EXPECT_EQ(-1234, check_());
    EXPECT_EQ(std::vector<std::string>({"HsCheckApiStatus()"}), palm_.CallLog());
}

TEST_F(StandInTest, ConduitManagerReportsRegistrationsAndTheHotSyncPath) {
    Module condmgr = Module::Load((palmDir_ + "\\CondMgr.dll").c_str());
    auto getName = condmgr.Find<palm::CmGetCreatorStringFn>("CmGetCreatorName");
    auto getPath = condmgr.Find<palm::CmGetHotSyncExecPathFn>("CmGetHotSyncExecPath");
    char buffer[MAX_PATH] = {};
    int size = sizeof buffer;
    EXPECT_NE(0, getName("date", buffer, &size));
    palm_.RegisterConduit("date", {{{"Name", "C:\\Palm\\date.dll"}}, {{"Type", 1}}});
    size = sizeof buffer;
    EXPECT_EQ(0, getName("date", buffer, &size));
    EXPECT_STREQ("C:\\Palm\\date.dll", buffer);
    size = sizeof buffer;
    EXPECT_EQ(0, getPath(buffer, &size));
    EXPECT_EQ(palmDir_ + "\\HotSync.exe", std::string(buffer));
}

TEST_F(StandInTest, UserManagerListsUsersWithTheirFlags) {
    palm_.AddUser(11, "Jane");
    palm_.AddUser(12, "Profile", true);
    palm_.AddUser(13, "Broken", false, true);
    Module userdata = Module::Load((palmDir_ + "\\UserData.dll").c_str());
    auto count = userdata.Find<palm::UmGetUserCountFn>("UmGetUserCount");
    auto getId = userdata.Find<palm::UmGetUserIDFn>("UmGetUserID");
    auto isProfile = userdata.Find<palm::UmIsUserProfileFn>("UmIsUserProfile");
    auto getName = userdata.Find<palm::UmGetUserNameFn>("UmGetUserName");
    ASSERT_EQ(3, count());
    DWORD id = 0xFFFFFFFF;
    EXPECT_EQ(0, getId(1, &id));
    EXPECT_EQ(12u, id);
    EXPECT_NE(0, isProfile(12));
    EXPECT_EQ(0, isProfile(11));
    char name[32] = {};
    int size = sizeof name;
    EXPECT_GT(getName(11, name, &size), 0);
    EXPECT_STREQ("Jane", name);
    size = sizeof name;
    EXPECT_LT(getName(13, name, &size), 0);
    EXPECT_LT(getId(3, &id), 0);
}
