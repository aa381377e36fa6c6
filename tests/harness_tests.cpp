// The test harness itself: the message-box driver and the import patch.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/import_patch.h"
#include "tests/support/message_box_driver.h"

using namespace testsupport;

TEST(MessageBoxDriver, RecordsTextCaptionFlagsAndOwnerAndAnswers) {
    MessageBoxDriver driver;
    driver.Watch(GetModuleHandleA(nullptr));
    driver.Answer(IDNO);
    EXPECT_EQ(IDNO, MessageBoxA(nullptr, "Line one\n\nLine two", "Caption", MB_YESNO | MB_ICONQUESTION | MB_TOPMOST));
    driver.Answer(IDOK);
    HWND owner = CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(IDOK, MessageBoxA(owner, "Plain", "Other", MB_OK | MB_ICONEXCLAMATION));
    DestroyWindow(owner);

    ASSERT_EQ(2u, driver.seen().size());
    EXPECT_EQ("Caption", driver.seen()[0].caption);
    EXPECT_EQ("Line one\n\nLine two", driver.seen()[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_TOPMOST), driver.seen()[0].flags);
    EXPECT_EQ(nullptr, driver.seen()[0].owner);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), driver.seen()[1].flags);
    EXPECT_EQ(owner, driver.seen()[1].owner);
    EXPECT_EQ(0, driver.unexpected());
}

TEST(MessageBoxDriver, ReadsTheButtonSetOfUnwatchedCallers) {
    const UINT styles[] = {MB_OKCANCEL | MB_ICONERROR, MB_YESNOCANCEL | MB_ICONWARNING,
                           MB_RETRYCANCEL | MB_ICONINFORMATION, MB_OK};
    for (UINT style : styles) {
        MessageBoxDriver driver;
        driver.Answer(IDCANCEL);
        MessageBoxA(nullptr, "text", "caption", style);
        ASSERT_EQ(1u, driver.seen().size());
        EXPECT_EQ(style & MB_TYPEMASK, driver.seen()[0].flags);
    }
}

TEST(MessageBoxDriver, ClosesAndCountsABoxNobodyExpected) {
    MessageBoxDriver driver;
    EXPECT_EQ(IDCANCEL, MessageBoxA(nullptr, "surprise", "caption", MB_OKCANCEL));
    EXPECT_EQ(IDNO, MessageBoxA(nullptr, "surprise", "caption", MB_YESNO));
    EXPECT_EQ(2, driver.unexpected());
}

// Separate functions: the compiler may keep an import's address in a
// register across calls within one function.
__attribute__((noinline)) void WaitThroughImport(DWORD ms) { Sleep(ms); }

TEST(ImportPatch, ReplacesAndRestoresAnImport) {
    HMODULE self = GetModuleHandleA(nullptr);
    {
        SleepRecorder recorder(self);
        ASSERT_TRUE(recorder.applied());
        const DWORD start = GetTickCount();
        WaitThroughImport(5000);
        WaitThroughImport(500);
        WaitThroughImport(500);
        EXPECT_LT(GetTickCount() - start, 1000u);
        EXPECT_EQ(1, SleepRecorder::Count(5000));
        EXPECT_EQ(2, SleepRecorder::Count(500));
    }
    WaitThroughImport(100);
    EXPECT_EQ(0, SleepRecorder::Count(100));
}
