// The visual-style binding, driven through its inputs: a chosen
// common-controls version and a loader that hands out the UxTheme stand-ins
// (bin\standins\uxtheme*\TwUxTheme.dll), Wine's own UxTheme.dll, or
// nothing. The binding's state is class-wide, so every test releases what it
// bound; cases that leave a binding behind on purpose run in a child process.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/test_paths.h"
#include "tests/support/windows_versions.h"
#include "bindings/theme_api.h"

using namespace testsupport;

namespace {

const DWORD kVersion5_81 = 0x00050051;
const DWORD kVersion5_82 = 0x00050052;
const DWORD kVersion6_0 = 0x00060000;

// The exports the binding looks up, written out again in table order, so
// that a slip in the binding's own table shows.
const char* const kExportNames[theme::kEntryCount] = {
    "GetThemeBitmap", "CloseThemeData", "DrawThemeBackground", "DrawThemeEdge", "DrawThemeIcon",
    "DrawThemeParentBackground", "DrawThemeText", "EnableThemeDialogTexture", "EnableTheming",
    "GetCurrentThemeName", "GetThemeAppProperties", "GetThemeBackgroundContentRect", "GetThemeBackgroundExtent",
    "GetThemeBackgroundRegion", "GetThemeBool", "GetThemeColor", "GetThemeDocumentationProperty",
    "GetThemeEnumValue", "GetThemeFilename", "GetThemeFont", "GetThemeInt", "GetThemeIntList", "GetThemeMargins",
    "GetThemeMetric", "GetThemePartSize", "GetThemePosition", "GetThemePropertyOrigin", "GetThemeRect",
    "GetThemeString", "GetThemeSysBool", "GetThemeSysColor", "GetThemeSysColorBrush", "GetThemeSysFont",
    "GetThemeSysInt", "GetThemeSysSize", "GetThemeSysString", "GetThemeTextExtent", "GetThemeTextMetrics",
    "GetWindowTheme", "HitTestThemeBackground", "IsAppThemed", "IsThemeActive",
    "IsThemeBackgroundPartiallyTransparent", "IsThemeDialogTextureEnabled", "IsThemePartDefined",
    "OpenThemeData", "SetThemeAppProperties", "SetWindowTheme",
};

// The entries the library calls; the stand-in exports them (and DllGetVersion).
const char* const kStandInExports[] = {"IsThemeActive", "OpenThemeData", "CloseThemeData",
                                       "DrawThemeParentBackground", "DrawThemeText"};

// What the fake inputs answer, and what the binding asked of them.
struct Inputs {
    DWORD version = 0;
    std::string loadPath;  // loaded for "UxTheme.dll"; empty: the load fails
    std::vector<std::string> versionAsked;
    std::vector<std::string> loadAsked;
    UINT errorModeDuringLoad = 0;
    HMODULE loaded = nullptr;
};
Inputs g_inputs;

UINT CurrentErrorMode() {
    const UINT mode = SetErrorMode(0);
    SetErrorMode(mode);
    return mode;
}

DWORD FakeDllVersion(const char* library) {
    g_inputs.versionAsked.push_back(library);
    return g_inputs.version;
}

HMODULE FakeLoadLibrary(const char* name) {
    g_inputs.loadAsked.push_back(name);
    g_inputs.errorModeDuringLoad = CurrentErrorMode();
    g_inputs.loaded = g_inputs.loadPath.empty() ? nullptr : LoadLibraryA(g_inputs.loadPath.c_str());
    return g_inputs.loaded;
}

const theme::BindingInputs kFakeInputs = {&FakeDllVersion, &FakeLoadLibrary};

std::string StandIn(const std::string& variant = "uxtheme") { return StandInDir(variant) + "\\TwUxTheme.dll"; }

// The stand-in's record of this process (see standins/uxtheme/uxtheme.cpp).
std::string StandInLog() {
    char log[8192] = {};
    const DWORD length = GetEnvironmentVariableA("TW_UXTHEME_LOG", log, sizeof log);
    return length < sizeof log ? std::string(log, length) : std::string("(log too long)");
}

void ResetStandIn() {
    for (const char* name : {"TW_UXTHEME_LOG", "TW_UXTHEME_ACTIVE", "TW_UXTHEME_NO_THEME", "TW_UXTHEME_VERSION"}) {
        SetEnvironmentVariableA(name, nullptr);
    }
}

std::vector<std::string> NonNullEntries() {
    std::vector<std::string> names;
    for (int entry = 0; entry < theme::kEntryCount; ++entry) {
        if (CThemeApi::EntryAddress(entry)) names.push_back(kExportNames[entry]);
    }
    return names;
}

class ThemeBinding : public ::testing::Test {
protected:
    void SetUp() override {
        g_inputs = Inputs();
        ResetStandIn();
        savedErrorMode_ = CurrentErrorMode();
        ASSERT_EQ(0, CThemeApi::BindCount());
        ASSERT_FALSE(CThemeApi::Enabled());
    }
    void TearDown() override {
        SetErrorMode(savedErrorMode_);
        ResetStandIn();
        EXPECT_EQ(0, CThemeApi::BindCount());
    }

    // The common state after a binding that ended with themes off.
    static void ExpectThemesOff() {
        EXPECT_FALSE(CThemeApi::Enabled());
        EXPECT_EQ(0, CThemeApi::BindCount());
        EXPECT_EQ(nullptr, CThemeApi::Module());
    }

private:
    UINT savedErrorMode_ = 0;
};

TEST_F(ThemeBinding, CommonControlsBelowSixLeaveUxThemeUnloaded) {
    g_inputs.loadPath = StandIn();
    for (DWORD version : {kVersion5_82, kVersion5_81, DWORD{0x0005FFFF}, DWORD{0}}) {
        SCOPED_TRACE(version);
        g_inputs.version = version;
        g_inputs.versionAsked.clear();
        {
            CThemeApi api(kFakeInputs);
            EXPECT_EQ(std::vector<std::string>{"comctl32.dll"}, g_inputs.versionAsked);
            EXPECT_EQ(version, CThemeApi::CommonControlsVersion());
            ExpectThemesOff();
        }
        EXPECT_EQ(0, CThemeApi::BindCount());
    }
    EXPECT_TRUE(g_inputs.loadAsked.empty());
    EXPECT_EQ("", StandInLog());
}

TEST_F(ThemeBinding, CommonControlsSixOrLaterBindUxThemeAndReleaseIt) {
    for (DWORD version : {kVersion6_0, DWORD{0x0006000A}, DWORD{0x00070000}}) {
        SCOPED_TRACE(version);
        g_inputs = Inputs();
        g_inputs.version = version;
        g_inputs.loadPath = StandIn();
        ResetStandIn();
        SetErrorMode(SEM_FAILCRITICALERRORS);
        {
            CThemeApi api(kFakeInputs);
            EXPECT_EQ(std::vector<std::string>{"UxTheme.dll"}, g_inputs.loadAsked);
            EXPECT_EQ(static_cast<UINT>(SEM_NOOPENFILEERRORBOX), g_inputs.errorModeDuringLoad);
            EXPECT_EQ(static_cast<UINT>(SEM_FAILCRITICALERRORS), CurrentErrorMode());
            ASSERT_NE(nullptr, g_inputs.loaded);
            EXPECT_TRUE(CThemeApi::Enabled());
            EXPECT_EQ(1, CThemeApi::BindCount());
            EXPECT_EQ(version, CThemeApi::CommonControlsVersion());
            EXPECT_EQ(g_inputs.loaded, CThemeApi::Module());
            EXPECT_EQ("attach;IsThemeActive();", StandInLog());

            // The 43 exports the stand-in lacks stay null; binding goes on regardless.
            std::vector<std::string> expected;
            for (const char* name : kExportNames) {
                for (const char* present : kStandInExports) {
                    if (std::string(name) == present) expected.push_back(name);
                }
            }
            EXPECT_EQ(expected, NonNullEntries());
            for (int entry = 0; entry < theme::kEntryCount; ++entry) {
                EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(g_inputs.loaded, kExportNames[entry])),
                          CThemeApi::EntryAddress(entry))
                    << kExportNames[entry];
            }
        }
        ExpectThemesOff();
        EXPECT_TRUE(NonNullEntries().empty());
        EXPECT_EQ("attach;IsThemeActive();detach;", StandInLog());
    }
}

TEST_F(ThemeBinding, MissingUxThemeLeavesThemesOff) {
    g_inputs.version = kVersion6_0;
    SetErrorMode(SEM_NOGPFAULTERRORBOX);
    {
        CThemeApi api(kFakeInputs);
        EXPECT_EQ(std::vector<std::string>{"UxTheme.dll"}, g_inputs.loadAsked);
        EXPECT_EQ(static_cast<UINT>(SEM_NOOPENFILEERRORBOX), g_inputs.errorModeDuringLoad);
        EXPECT_EQ(static_cast<UINT>(SEM_NOGPFAULTERRORBOX), CurrentErrorMode());
        EXPECT_EQ(kVersion6_0, CThemeApi::CommonControlsVersion());
        ExpectThemesOff();
    }
    ExpectThemesOff();
}

TEST_F(ThemeBinding, InactiveThemeProbesUxThemeAndFreesItAgain) {
    g_inputs.version = kVersion6_0;
    g_inputs.loadPath = StandIn();
    SetEnvironmentVariableA("TW_UXTHEME_ACTIVE", "0");
    {
        CThemeApi api(kFakeInputs);
        EXPECT_EQ(1u, g_inputs.loadAsked.size());
        EXPECT_EQ("attach;IsThemeActive();detach;", StandInLog());
        ExpectThemesOff();
        // Switching themes on later changes nothing until the next binding.
        SetEnvironmentVariableA("TW_UXTHEME_ACTIVE", "1");
        EXPECT_FALSE(CThemeApi::Enabled());
    }
    ExpectThemesOff();
    EXPECT_EQ("attach;IsThemeActive();detach;", StandInLog());
}

TEST_F(ThemeBinding, UxThemeLackingACalledExportIsNeverCalled) {
    for (const char* missing : kStandInExports) {
        SCOPED_TRACE(missing);
        g_inputs = Inputs();
        g_inputs.version = kVersion6_0;
        g_inputs.loadPath = StandIn(std::string("uxtheme-without-") + missing);
        ResetStandIn();
        {
            CThemeApi api(kFakeInputs);
            ASSERT_NE(nullptr, g_inputs.loaded);
            EXPECT_EQ(nullptr, GetProcAddress(g_inputs.loaded, missing));
            EXPECT_EQ("attach;detach;", StandInLog());
            ExpectThemesOff();
        }
        ExpectThemesOff();
        EXPECT_EQ("attach;detach;", StandInLog());
    }
}

TEST_F(ThemeBinding, BindsWinesUxThemeExceptTheExportItLacks) {
    g_inputs.version = kVersion6_0;
    g_inputs.loadPath = "UxTheme.dll";
    {
        CThemeApi api(kFakeInputs);
        ASSERT_NE(nullptr, g_inputs.loaded);
        ASSERT_TRUE(CThemeApi::Enabled()) << "IsThemeActive of Wine's UxTheme.dll reports no active theme";
        EXPECT_EQ(1, CThemeApi::BindCount());
        EXPECT_EQ(g_inputs.loaded, CThemeApi::Module());
        for (int entry = 0; entry < theme::kEntryCount; ++entry) {
            EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(g_inputs.loaded, kExportNames[entry])),
                      CThemeApi::EntryAddress(entry))
                << kExportNames[entry];
        }
        // Wine 8 has no GetThemeBitmap; everything else is there.
        std::vector<std::string> expected(std::begin(kExportNames) + 1, std::end(kExportNames));
        EXPECT_EQ(expected, NonNullEntries());
        EXPECT_EQ(nullptr, CThemeApi::EntryAddress(theme::kGetThemeBitmap));
    }
    ExpectThemesOff();
    EXPECT_TRUE(NonNullEntries().empty());
}

// A sequence of bindings and releases of one process, as text: after each
// step whether themes are on, the count, whether UxTheme is held, and the
// stand-in's record.
int NestedBindings(const std::string&) {
    g_inputs.loadPath = StandIn();
    ResetStandIn();
    auto report = [](const char* step) {
        std::printf("%s: enabled=%d count=%d module=%s log=%s\n", step, CThemeApi::Enabled() ? 1 : 0,
                    CThemeApi::BindCount(), CThemeApi::Module() ? "held" : "none", StandInLog().c_str());
    };
    g_inputs.version = kVersion6_0;
    auto* first = new CThemeApi(kFakeInputs);
    report("bind");
    auto* second = new CThemeApi(kFakeInputs);
    report("bind again");
    delete second;
    report("release");
    g_inputs.version = kVersion5_82;
    auto* old = new CThemeApi(kFakeInputs);
    report("bind with 5.82");
    delete old;
    report("release while off");
    delete first;
    report("release while off");
    return 0;
}
ChildRegistration nestedBindingsChild("theme-nested-bindings", NestedBindings);

TEST(ThemeBindingCounts, ReleaseCountsDownAndReleaseWhileOffTouchesNothing) {
    const ChildResult result = RunChildAs("win7", "theme-nested-bindings");
    EXPECT_EQ(0, result.exitCode);
    std::string output;
    for (char c : result.output) {
        if (c != '\r') output += c;
    }
    EXPECT_EQ(
        "bind: enabled=1 count=1 module=held log=attach;IsThemeActive();\n"
        "bind again: enabled=1 count=2 module=held log=attach;IsThemeActive();IsThemeActive();\n"
        "release: enabled=0 count=1 module=held log=attach;IsThemeActive();IsThemeActive();\n"
        "bind with 5.82: enabled=0 count=1 module=held log=attach;IsThemeActive();IsThemeActive();\n"
        "release while off: enabled=0 count=1 module=held log=attach;IsThemeActive();IsThemeActive();\n"
        "release while off: enabled=0 count=1 module=held log=attach;IsThemeActive();IsThemeActive();\n",
        output);
}

TEST(ThemeDllVersion, PacksMajorAndMinorOrGivesZero) {
    ResetStandIn();
    const std::string standIn = StandIn();
    // No export, no library.
    EXPECT_EQ(0u, theme::GetDllVersion("kernel32.dll"));
    EXPECT_EQ(0u, theme::GetDllVersion("tw-no-such-library.dll"));
    // A failing DllGetVersion; the record must be 20 bytes with the rest zero.
    EXPECT_EQ(0u, theme::GetDllVersion(standIn.c_str()));
    EXPECT_EQ("attach;DllGetVersion(20,0,0,0,0);detach;", StandInLog());

    struct Case {
        const char* reported;
        DWORD packed;
    };
    const Case cases[] = {{"6.0.2900", 0x00060000}, {"5.82.1", 0x00050052}, {"6.16.7601", 0x00060010},
                          {"65542.65537.0", 0x00060001}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reported);
        ResetStandIn();
        SetEnvironmentVariableA("TW_UXTHEME_VERSION", c.reported);
        EXPECT_EQ(c.packed, theme::GetDllVersion(standIn.c_str()));
        EXPECT_EQ("attach;DllGetVersion(20,0,0,0,0);detach;", StandInLog());
    }
    ResetStandIn();
}

TEST(ThemeSystemBinding, WinesCommonControlsReportFiveEightyOneSoThemesStayOff) {
    EXPECT_EQ(kVersion5_81, theme::GetDllVersion("comctl32.dll"));
    ASSERT_EQ(0, CThemeApi::BindCount());
    {
        CThemeApi api;
        EXPECT_EQ(kVersion5_81, CThemeApi::CommonControlsVersion());
        EXPECT_FALSE(CThemeApi::Enabled());
        EXPECT_EQ(0, CThemeApi::BindCount());
        EXPECT_EQ(nullptr, CThemeApi::Module());
    }
    EXPECT_EQ(0, CThemeApi::BindCount());
}

}  // namespace
