// Shared code of both libraries: the product constants, installation values
// read across hives and Windows versions, the profile operations, the
// operating-system class.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/os_class.h"
#include "common/product_strings.h"
#include "common/product_value.h"
#include "common/profile.h"
#include "common/reg_key.h"
#include "common/text.h"
#include "common/windows_version.h"
#include "tests/support/product_state.h"
#include "tests/support/windows_versions.h"

using namespace testsupport;
using product::GetProductString;

namespace {

const char kAlmanorInstall[] = "SOFTWARE\\Quillon Software\\Almanor\\Install";
const char kUsersKey[] = "Software\\Quillon Software\\Orvelle\\Users";
const char kJaneKey[] = "Software\\Quillon Software\\Orvelle\\Users\\Jane";

int PrintVistaOrLater(const std::string&) {
    std::printf("%d", IsVistaOrLater() ? 1 : 0);
    return 0;
}
int PrintProductValue(const std::string& name) {
    std::printf("[%s]", ReadProductValue(name.c_str()).c_str());
    return 0;
}
int PrintAlmanorInstallValue(const std::string& name) {
    std::printf("[%s]", ReadInstallValue(kAlmanorInstall, name.c_str()).c_str());
    return 0;
}
int PrintOsClass(const std::string&) {
    std::printf("%d %d", GetOsClass(), IsVistaOrLater() ? 1 : 0);
    return 0;
}
ChildRegistration vistaChild("vista-or-later", PrintVistaOrLater);
ChildRegistration valueChild("product-value", PrintProductValue);
ChildRegistration installValueChild("almanor-install-value", PrintAlmanorInstallValue);
ChildRegistration osClassChild("os-class", PrintOsClass);

void SetRawInstallValue(HKEY root, const char* name, DWORD type, const void* data, DWORD size) {
    RegKey key = RegKey::Create(root, InstallKeyPath().c_str());
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data), size));
}

// The product's registry state wiped before and after each case.
class CommonTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProductState(); }
    void TearDown() override { ResetProductState(); }
};

// What one Windows version (Wine's per-program "Version") makes a child print.
struct VersionCase {
    const char* version;
    const char* expected;
};
std::string VersionName(const ::testing::TestParamInfo<VersionCase>& info) { return info.param.version; }

}  // namespace

struct ProductStringCase {
    int index;
    const char* text;
};

class ProductStrings : public ::testing::TestWithParam<ProductStringCase> {};

TEST_P(ProductStrings, ListedEntriesHaveTheirTexts) {
    EXPECT_STREQ(GetParam().text, GetProductString(GetParam().index));
}

const ProductStringCase kListedStrings[] = {
    {0, "Quillon Software"}, {1, "Tidewell for Palm"}, {2, "1.5r"}, {3, "1.5"}, {6, "/palm/?src=about%s&version="},
    {9, "Common"}, {19, "Segoe UI"}, {20, "Tahoma"}, {21, "SOFTWARE"}, {22, "Install"}, {23, "Users"}, {25, "Path"},
    {26, "PDPath"}, {27, "DDIR"}, {28, "Data"}, {29, "Almanor"}, {30, "Orvelle"}, {32, ""}};
INSTANTIATE_TEST_SUITE_P(Listed, ProductStrings, ::testing::ValuesIn(kListedStrings));

class ProductStringsOutsideTheTable : public ::testing::TestWithParam<int> {};

TEST_P(ProductStringsOutsideTheTable, ReadTheEmptyEntry) { EXPECT_STREQ("", GetProductString(GetParam())); }

// 5 is an unused entry inside the table: empty as well.
INSTANTIATE_TEST_SUITE_P(Indexes, ProductStringsOutsideTheTable, ::testing::Values(33, 40, -1, 0x7FFFFFFF, 5));

TEST(ProductStringsWebSite, IsAnHttpAddress) { EXPECT_EQ(0u, std::string(GetProductString(4)).find("http://")); }

TEST(CompanyKeys, PathsOfTheCompanysApplications) {
    EXPECT_EQ("SOFTWARE\\Quillon Software\\Orvelle\\Install", ProductInstallKeyPath());
    EXPECT_EQ("SOFTWARE\\Quillon Software\\Almanor\\Common", CompanyKeyPath("Almanor", "Common"));
}

TEST_F(CommonTest, ProductValueComesFromTheMachineKeyFirst) {
    SetInstallValue("Path", "C:\\Machine");
    SetInstallValue("Path", "C:\\User", true);
    EXPECT_EQ("C:\\Machine", ReadProductValue("Path"));
    EXPECT_EQ("", ReadProductValue("PDPath"));
}

TEST_F(CommonTest, InstallValueOfAnyKeyComesFromTheMachineKeyFirst) {
    RegKey::Create(HKEY_LOCAL_MACHINE, kAlmanorInstall).WriteString("Path", "C:\\Machine");
    RegKey::Create(HKEY_CURRENT_USER, kAlmanorInstall).WriteString("Path", "C:\\User");
    RegKey::Create(HKEY_CURRENT_USER, kAlmanorInstall).WriteString("Other", " per user ");
    EXPECT_EQ("C:\\Machine", ReadInstallValue(kAlmanorInstall, "Path"));
    EXPECT_EQ("", ReadInstallValue(kAlmanorInstall, "Other"));  // this program runs as Windows 7
    EXPECT_EQ("[ per user ]", RunChildAs("winxp", "almanor-install-value", "Other").output);
}

// A value only the per-user installation key holds.
class PerUserInstallValue : public CommonTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(PerUserInstallValue, IsFoundOnlyBeforeVista) {
    SetInstallValue("Path", "C:\\Only Per User", true);
    EXPECT_EQ(GetParam().expected, RunChildAs(GetParam().version, "product-value", "Path").output);
}

const VersionCase kPerUserValueSeen[] = {{"win98", "[C:\\Only Per User]"}, {"nt40", "[C:\\Only Per User]"},
                                         {"winxp", "[C:\\Only Per User]"}, {"vista", "[]"}, {"win7", "[]"}};
INSTANTIATE_TEST_SUITE_P(Versions, PerUserInstallValue, ::testing::ValuesIn(kPerUserValueSeen), VersionName);

TEST_F(CommonTest, ProductValueOfAnyTypeOrSizeIsReadSafely) {
    const char unterminated[] = {'C', ':', '\\', 'X'};
    SetRawInstallValue(HKEY_LOCAL_MACHINE, "Path", REG_SZ, unterminated, sizeof unterminated);
    EXPECT_EQ("C:\\X", ReadProductValue("Path"));

    const DWORD number = 0x00434241;  // bytes "ABC\0"
    SetRawInstallValue(HKEY_LOCAL_MACHINE, "Path", REG_DWORD, &number, sizeof number);
    EXPECT_EQ("ABC", ReadProductValue("Path"));

    const std::string longText(5000, 'p');
    SetRawInstallValue(HKEY_LOCAL_MACHINE, "Path", REG_SZ, longText.c_str(), static_cast<DWORD>(longText.size() + 1));
    EXPECT_EQ(longText, ReadProductValue("Path"));

    SetRawInstallValue(HKEY_LOCAL_MACHINE, "Path", REG_BINARY, "", 0);
    EXPECT_EQ("", ReadProductValue("Path"));
}

class WindowsVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(WindowsVersion, VistaOrLaterAcrossGenerations) {
    const ChildResult result = RunChildAs(GetParam().version, "vista-or-later");
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ(GetParam().expected, result.output);
}

const VersionCase kVistaOrLater[] = {{"win95", "0"}, {"win98", "0"}, {"winme", "0"}, {"nt40", "0"},
                                     {"win2k", "0"}, {"winxp", "0"}, {"win2003", "0"}, {"vista", "1"},
                                     {"win7", "1"}, {"win10", "1"}};
INSTANTIATE_TEST_SUITE_P(Generations, WindowsVersion, ::testing::ValuesIn(kVistaOrLater), VersionName);

TEST(WindowsVersionFamily, OnlyTheNtFamilyFromSixOnIsVistaOrLater) {
    EXPECT_FALSE(IsNtSixOrLater(true, 6));
    EXPECT_TRUE(IsNtSixOrLater(false, 6));
    EXPECT_FALSE(IsNtSixOrLater(false, 5));
}

struct ClassifyCase {
    bool nineX;
    unsigned major;
    unsigned minor;
    int expected;
};

class OsClasses : public ::testing::TestWithParam<ClassifyCase> {};

TEST_P(OsClasses, ClassifiesEveryFamilyAndVersion) {
    const ClassifyCase& c = GetParam();
    EXPECT_EQ(c.expected, ClassifyOs(c.nineX, c.major, c.minor));
}

const ClassifyCase kClassified[] = {
    {true, 3, 95, kOsOld9x},       {false, 3, 51, kOsOldNt},         {true, 4, 0, kOsWindows95},
    {true, 4, 3, kOsWindows95},    {true, 4, 10, kOsWindows98},      {true, 4, 90, kOsWindowsMe},
    {false, 4, 0, kOsNt4},         {false, 5, 0, kOsWindows2000},    {false, 5, 1, kOsWindowsXp},
    {false, 5, 2, kOsWindowsXp},   {false, 6, 0, kOsVistaOrLater},   {false, 10, 0, kOsVistaOrLater}};
INSTANTIATE_TEST_SUITE_P(FamiliesAndVersions, OsClasses, ::testing::ValuesIn(kClassified));

class OsClassAtLoad : public ::testing::TestWithParam<VersionCase> {};

TEST_P(OsClassAtLoad, IsDecidedAtLoadUnderEachWindowsVersion) {
    EXPECT_EQ(GetParam().expected, RunChildAs(GetParam().version, "os-class").output);
}

const VersionCase kClassAtLoad[] = {{"win95", "2 0"},   {"win98", "3 0"}, {"winme", "4 0"},
                                    {"nt40", "5 0"},    {"win2k", "6 0"}, {"winxp", "7 0"},
                                    {"win2003", "7 0"}, {"vista", "8 1"}, {"win7", "8 1"}};
INSTANTIATE_TEST_SUITE_P(Versions, OsClassAtLoad, ::testing::ValuesIn(kClassAtLoad), VersionName);

TEST_F(CommonTest, ProfileCreatesKeysDownToTheSectionOnEveryAccess) {
    Profile profile("Quillon Software", "Orvelle");
    EXPECT_EQ(7u, profile.GetInt("Users\\Jane", "LUC", 7));
    EXPECT_TRUE(RegKey::Open(HKEY_CURRENT_USER, kJaneKey));
    std::string value;
    EXPECT_FALSE(RegKey::Open(HKEY_CURRENT_USER, kJaneKey).ReadString("LUC", &value));
    EXPECT_EQ("none", profile.GetString("Users", "LUN", "none"));
}

TEST_F(CommonTest, ProfileStoresTypedValuesAndReadsFirstFourBytesOfAnyType) {
    Profile profile("Quillon Software", "Orvelle");
    ASSERT_TRUE(profile.WriteInt("Users\\Jane", "LUC", 1));
    ASSERT_TRUE(profile.WriteString("Users", "LUN", "Jane"));
    RegKey users = RegKey::Open(HKEY_CURRENT_USER, kUsersKey, KEY_ALL_ACCESS);
    std::vector<BYTE> data;
    DWORD type = 0;
    ASSERT_TRUE(users.ReadBytes("LUN", &data, &type));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::vector<BYTE>({'J', 'a', 'n', 'e', 0}), data);
    ASSERT_TRUE(RegKey::Open(HKEY_CURRENT_USER, kJaneKey).ReadBytes("LUC", &data, &type));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(1u, profile.GetInt("Users\\Jane", "LUC", 0));

    // A string value read as an integer gives its first four bytes.
    EXPECT_EQ(0x656E614Au, profile.GetInt("Users", "LUN", 0));  // "Jane"
    const BYTE two[] = {0x05, 0x01};
    RegSetValueExA(users.get(), "Short", 0, REG_BINARY, two, sizeof two);
    EXPECT_EQ(0x105u, profile.GetInt("Users", "Short", 9));
    RegSetValueExA(users.get(), "Empty", 0, REG_BINARY, two, 0);
    EXPECT_EQ(9u, profile.GetInt("Users", "Empty", 9));
}

TEST(Text, ProgramNameIsStrippedOnlyFromExePaths) {
    EXPECT_EQ("C:\\Palm", text::StripProgramName("C:\\Palm\\HotSync.EXE"));
    EXPECT_EQ("C:\\Palm\\HotSync", text::StripProgramName("C:\\Palm\\HotSync"));
    EXPECT_EQ("C:\\Palm.exe\\HotSync", text::StripProgramName("C:\\Palm.exe\\HotSync"));
    EXPECT_EQ("twdate.dll", text::FileNamePart("twdate.dll"));
    EXPECT_EQ("twdate.dll", text::FileNamePart("C:\\x\\twdate.dll"));
    const char unterminated[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ("abcd", text::FromBuffer(unterminated, sizeof unterminated));
}
