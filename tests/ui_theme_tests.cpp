// The visual-style binding, driven through its inputs: a chosen
// common-controls version and a loader that hands out the UxTheme stand-ins
// (bin\standins\uxtheme*\TwUxTheme.dll), Wine's own UxTheme.dll, or
// nothing. Each binding holds its own reference to the library it bound.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "bindings/theme_api.h"
#include "tests/ui_uxtheme_standin.h"

namespace standin = uxtheme_standin;
using standin::Number;

namespace {

const DWORD kVersion5_81 = 0x00050051;
const DWORD kVersion5_82 = 0x00050052;
const DWORD kVersion6_0 = 0x00060000;

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

Module FakeLoadLibrary(const char* name) {
    g_inputs.loadAsked.push_back(name);
    g_inputs.errorModeDuringLoad = CurrentErrorMode();
    Module library = Module::Load(g_inputs.loadPath.c_str());
    g_inputs.loaded = library.get();
    return library;
}

const theme::BindingInputs kFakeInputs = {&FakeDllVersion, &FakeLoadLibrary};

bool IsLoaded(const std::string& path) { return GetModuleHandleA(path.c_str()) != nullptr; }

// Fresh inputs and stand-in state for each case; the caller's error mode back
// afterwards, and no stand-in left loaded.
class ThemeBinding : public ::testing::Test {
protected:
    void SetUp() override {
        g_inputs = Inputs();
        standin::Reset();
        savedErrorMode_ = CurrentErrorMode();
    }
    void TearDown() override {
        SetErrorMode(savedErrorMode_);
        standin::Reset();
        EXPECT_FALSE(IsLoaded(standin::Path()));
    }

    static void ExpectThemesOff(const ThemeApi& api) {
        EXPECT_FALSE(api.Enabled());
        EXPECT_EQ(nullptr, api.module());
    }

private:
    UINT savedErrorMode_ = 0;
};

class ThemeBindingBelowSix : public ThemeBinding, public ::testing::WithParamInterface<DWORD> {};

TEST_P(ThemeBindingBelowSix, CommonControlsBelowSixLeaveUxThemeUnloaded) {
    g_inputs.loadPath = standin::Path();
    g_inputs.version = GetParam();
    {
        const ThemeApi api(kFakeInputs);
        EXPECT_EQ(std::vector<std::string>{"comctl32.dll"}, g_inputs.versionAsked);
        EXPECT_EQ(GetParam(), api.CommonControlsVersion());
        ExpectThemesOff(api);
    }
    EXPECT_TRUE(g_inputs.loadAsked.empty());
    EXPECT_EQ("", standin::Log());
}

INSTANTIATE_TEST_SUITE_P(Versions, ThemeBindingBelowSix,
                         ::testing::Values(kVersion5_82, kVersion5_81, DWORD{0x0005FFFF}, DWORD{0}));

class ThemeBindingSixOrLater : public ThemeBinding, public ::testing::WithParamInterface<DWORD> {};

TEST_P(ThemeBindingSixOrLater, CommonControlsSixOrLaterBindUxThemeAndReleaseIt) {
    g_inputs.version = GetParam();
    g_inputs.loadPath = standin::Path();
    SetErrorMode(SEM_FAILCRITICALERRORS);
    {
        const ThemeApi api(kFakeInputs);
        EXPECT_EQ(std::vector<std::string>{"UxTheme.dll"}, g_inputs.loadAsked);
        EXPECT_EQ(static_cast<UINT>(SEM_NOOPENFILEERRORBOX), g_inputs.errorModeDuringLoad);
        EXPECT_EQ(static_cast<UINT>(SEM_FAILCRITICALERRORS), CurrentErrorMode());
        ASSERT_NE(nullptr, g_inputs.loaded);
        // The stand-in exports only the entries the binding calls: enough.
        EXPECT_TRUE(api.Enabled());
        EXPECT_EQ(GetParam(), api.CommonControlsVersion());
        EXPECT_EQ(g_inputs.loaded, api.module());
        EXPECT_EQ("attach;IsThemeActive();", standin::Log());
    }
    EXPECT_FALSE(IsLoaded(standin::Path()));
    EXPECT_EQ("attach;IsThemeActive();detach;", standin::Log());
}

INSTANTIATE_TEST_SUITE_P(Versions, ThemeBindingSixOrLater,
                         ::testing::Values(kVersion6_0, DWORD{0x0006000A}, DWORD{0x00070000}));

TEST_F(ThemeBinding, MissingUxThemeLeavesThemesOff) {
    g_inputs.version = kVersion6_0;
    SetErrorMode(SEM_NOGPFAULTERRORBOX);
    const ThemeApi api(kFakeInputs);
    EXPECT_EQ(std::vector<std::string>{"UxTheme.dll"}, g_inputs.loadAsked);
    EXPECT_EQ(static_cast<UINT>(SEM_NOOPENFILEERRORBOX), g_inputs.errorModeDuringLoad);
    EXPECT_EQ(static_cast<UINT>(SEM_NOGPFAULTERRORBOX), CurrentErrorMode());
    EXPECT_EQ(kVersion6_0, api.CommonControlsVersion());
    ExpectThemesOff(api);
}

TEST_F(ThemeBinding, InactiveThemeProbesUxThemeAndFreesItAgain) {
    g_inputs.version = kVersion6_0;
    g_inputs.loadPath = standin::Path();
    SetEnvironmentVariableA("TW_UXTHEME_ACTIVE", "0");
    {
        const ThemeApi api(kFakeInputs);
        EXPECT_EQ(1u, g_inputs.loadAsked.size());
        EXPECT_EQ("attach;IsThemeActive();detach;", standin::Log());
        EXPECT_FALSE(IsLoaded(standin::Path()));
        ExpectThemesOff(api);
        // Switching themes on later changes nothing until the next binding.
        SetEnvironmentVariableA("TW_UXTHEME_ACTIVE", "1");
        EXPECT_FALSE(api.Enabled());
    }
    EXPECT_EQ("attach;IsThemeActive();detach;", standin::Log());
}

// Stand-in variants each lacking one of the entries the binding calls.
class ThemeBindingIncomplete : public ThemeBinding, public ::testing::WithParamInterface<const char*> {};

TEST_P(ThemeBindingIncomplete, UxThemeLackingACalledExportIsNeverCalled) {
    const char* missing = GetParam();
    g_inputs.version = kVersion6_0;
    g_inputs.loadPath = standin::Path(std::string("uxtheme-without-") + missing);
    {
        const Module variant = Module::Load(g_inputs.loadPath.c_str());
        ASSERT_TRUE(variant);
        EXPECT_EQ(nullptr, variant.Find<FARPROC>(missing));
    }
    SetEnvironmentVariableA("TW_UXTHEME_LOG", nullptr);
    {
        const ThemeApi api(kFakeInputs);
        ASSERT_NE(nullptr, g_inputs.loaded);
        EXPECT_EQ("attach;detach;", standin::Log());
        ExpectThemesOff(api);
    }
    EXPECT_FALSE(IsLoaded(g_inputs.loadPath));
    EXPECT_EQ("attach;detach;", standin::Log());
}

INSTANTIATE_TEST_SUITE_P(Variants, ThemeBindingIncomplete,
                         ::testing::Values("IsThemeActive", "OpenThemeData", "CloseThemeData",
                                           "DrawThemeParentBackground", "DrawThemeText"));

// One call through the binding and what the stand-in records of it.
struct ThroughCall {
    const char* name;
    void (*call)(const ThemeApi& api, HWND window, HDC dc);
    std::string (*expected)(HWND window);
};

const RECT kRect = {1, 2, 30, 40};
const ThemeHandle kTheme = reinterpret_cast<ThemeHandle>(0x7E5010);

const ThroughCall kThroughCalls[] = {
    {"OpenThemeData", [](const ThemeApi& api, HWND window, HDC) { api.OpenThemeData(window, L"window"); },
     [](HWND window) { return "OpenThemeData(" + Number(window) + ",window);"; }},
    {"CloseThemeData", [](const ThemeApi& api, HWND, HDC) { api.CloseThemeData(kTheme); },
     [](HWND) { return "CloseThemeData(" + Number(kTheme) + ");"; }},
    {"DrawThemeParentBackground",
     [](const ThemeApi& api, HWND window, HDC dc) { api.DrawThemeParentBackground(window, dc, &kRect); },
     [](HWND window) { return "DrawThemeParentBackground(" + Number(window) + ",1,2,30,40);"; }},
    {"DrawThemeText",
     [](const ThemeApi& api, HWND, HDC dc) { api.DrawThemeText(kTheme, dc, 29, 3, L"Title", 5, 16, 0, &kRect); },
     [](HWND) { return "DrawThemeText(" + Number(kTheme) + ",29,3,Title,5,16,0,1,2,30,40);"; }},
};

class ThemeBindingEntries : public ThemeBinding, public ::testing::WithParamInterface<ThroughCall> {};

TEST_P(ThemeBindingEntries, EachCallReachesTheExportOfItsName) {
    g_inputs.version = kVersion6_0;
    g_inputs.loadPath = standin::Path();
    const ThemeApi api(kFakeInputs);
    ASSERT_TRUE(api.Enabled());
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    HDC dc = GetDC(window);
    SetEnvironmentVariableA("TW_UXTHEME_LOG", nullptr);
    GetParam().call(api, window, dc);
    EXPECT_EQ(GetParam().expected(window), standin::Log());
    ReleaseDC(window, dc);
    DestroyWindow(window);
}

INSTANTIATE_TEST_SUITE_P(Calls, ThemeBindingEntries, ::testing::ValuesIn(kThroughCalls),
                         [](const ::testing::TestParamInfo<ThroughCall>& info) { return info.param.name; });

TEST_F(ThemeBinding, BindsWinesUxThemeAndCallsThroughIt) {
    g_inputs.version = kVersion6_0;
    g_inputs.loadPath = "UxTheme.dll";
    const ThemeApi api(kFakeInputs);
    ASSERT_NE(nullptr, g_inputs.loaded);
    ASSERT_TRUE(api.Enabled()) << "IsThemeActive of Wine's UxTheme.dll reports no active theme";
    EXPECT_EQ(g_inputs.loaded, api.module());
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    const ThemeHandle theme = api.OpenThemeData(window, L"window");
    EXPECT_NE(nullptr, theme);
    EXPECT_EQ(S_OK, api.CloseThemeData(theme));
    DestroyWindow(window);
}

// Bindings and releases in one process: each binding holds the library for
// itself, the library goes with the last binding holding it, and a binding
// that ended with themes off holds nothing.
TEST_F(ThemeBinding, ReleaseCountsDownAndReleaseWhileOffTouchesNothing) {
    g_inputs.loadPath = standin::Path();
    std::string steps;
    auto report = [&steps](const char* step, const ThemeApi* first) {
        steps += std::string(step) + ": first=" + (first && first->Enabled() ? "on" : "off") +
                 " library=" + (IsLoaded(standin::Path()) ? "held" : "none") + " log=" + standin::Log() + "\n";
    };
    g_inputs.version = kVersion6_0;
    auto first = std::make_unique<ThemeApi>(kFakeInputs);
    report("bind", first.get());
    auto second = std::make_unique<ThemeApi>(kFakeInputs);
    EXPECT_TRUE(second->Enabled());
    EXPECT_EQ(first->module(), second->module());
    report("bind again", first.get());
    second.reset();
    report("release", first.get());
    g_inputs.version = kVersion5_82;
    auto old = std::make_unique<ThemeApi>(kFakeInputs);
    EXPECT_FALSE(old->Enabled());
    report("bind with 5.82", first.get());
    old.reset();
    report("release while off", first.get());
    first.reset();
    report("release the last", nullptr);
    EXPECT_EQ("bind: first=on library=held log=attach;IsThemeActive();\n"
              "bind again: first=on library=held log=attach;IsThemeActive();IsThemeActive();\n"
              "release: first=on library=held log=attach;IsThemeActive();IsThemeActive();\n"
              "bind with 5.82: first=on library=held log=attach;IsThemeActive();IsThemeActive();\n"
              "release while off: first=on library=held log=attach;IsThemeActive();IsThemeActive();\n"
              "release the last: first=off library=none log=attach;IsThemeActive();IsThemeActive();detach;\n",
              steps);
}

TEST_F(ThemeBinding, DllVersionIsZeroWithoutLibraryExportOrSuccess) {
    // No export, no library.
    EXPECT_EQ(0u, theme::GetDllVersion("kernel32.dll"));
    EXPECT_EQ(0u, theme::GetDllVersion("tw-no-such-library.dll"));
    // A failing DllGetVersion; the record must be 20 bytes with the rest zero.
    EXPECT_EQ(0u, theme::GetDllVersion(standin::Path().c_str()));
    EXPECT_EQ("attach;DllGetVersion(20,0,0,0,0);detach;", standin::Log());
}

struct ReportedVersion {
    const char* reported;
    DWORD packed;
};

class ThemeDllVersion : public ThemeBinding, public ::testing::WithParamInterface<ReportedVersion> {};

TEST_P(ThemeDllVersion, PacksMajorAndMinorOrGivesZero) {
    SetEnvironmentVariableA("TW_UXTHEME_VERSION", GetParam().reported);
    EXPECT_EQ(GetParam().packed, theme::GetDllVersion(standin::Path().c_str()));
    EXPECT_EQ("attach;DllGetVersion(20,0,0,0,0);detach;", standin::Log());
}

INSTANTIATE_TEST_SUITE_P(Reported, ThemeDllVersion,
                         ::testing::Values(ReportedVersion{"6.0.2900", 0x00060000},
                                           ReportedVersion{"5.82.1", 0x00050052},
                                           ReportedVersion{"6.16.7601", 0x00060010},
                                           ReportedVersion{"65542.65537.0", 0x00060001}));

TEST(ThemeSystemBinding, WinesCommonControlsReportFiveEightyOneSoThemesStayOff) {
    EXPECT_EQ(kVersion5_81, theme::GetDllVersion("comctl32.dll"));
    const ThemeApi api;
    EXPECT_EQ(kVersion5_81, api.CommonControlsVersion());
    EXPECT_FALSE(api.Enabled());
    EXPECT_EQ(nullptr, api.module());
    // The application's own binding decided the same.
    EXPECT_EQ(kVersion5_81, ApplicationThemes().CommonControlsVersion());
    EXPECT_FALSE(ApplicationThemes().Enabled());
}

}  // namespace
