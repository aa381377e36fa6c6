// Shared code of both libraries: the product constants, installation values
// read across hives and Windows versions, the profile operations.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

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

int PrintVistaOrLater(const std::string&) {
    std::printf("%d", IsVistaOrLater() ? 1 : 0);
    return 0;
}
int PrintProductValue(const std::string& name) {
    std::printf("[%s]", ReadProductValue(name.c_str()).c_str());
    return 0;
}
ChildRegistration vistaChild("vista-or-later", PrintVistaOrLater);
ChildRegistration valueChild("product-value", PrintProductValue);

void SetRawInstallValue(HKEY root, const char* name, DWORD type, const void* data, DWORD size) {
    RegKey key = RegKey::Create(root, InstallKeyPath().c_str());
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data), size));
}

class CommonTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProductState(); }
    void TearDown() override { ResetProductState(); }
};

}  // namespace

TEST(ProductStrings, ListedEntriesHaveTheirTexts) {
    EXPECT_STREQ("Quillon Software", GetProductString(0));
    EXPECT_STREQ("Tidewell for Palm", GetProductString(1));
    EXPECT_STREQ("1.5r", GetProductString(2));
    EXPECT_STREQ("1.5", GetProductString(3));
    EXPECT_STREQ("/palm/?src=about%s&version=", GetProductString(6));
    EXPECT_STREQ("Common", GetProductString(9));
    EXPECT_STREQ("Segoe UI", GetProductString(19));
    EXPECT_STREQ("Tahoma", GetProductString(20));
    EXPECT_STREQ("SOFTWARE", GetProductString(21));
    EXPECT_STREQ("Install", GetProductString(22));
    EXPECT_STREQ("Users", GetProductString(23));
    EXPECT_STREQ("Path", GetProductString(25));
    EXPECT_STREQ("PDPath", GetProductString(26));
    EXPECT_STREQ("DDIR", GetProductString(27));
    EXPECT_STREQ("Data", GetProductString(28));
    EXPECT_STREQ("Almanor", GetProductString(29));
    EXPECT_STREQ("Orvelle", GetProductString(30));
    EXPECT_STREQ("", GetProductString(32));
    EXPECT_EQ(0, std::string(GetProductString(4)).find("http://"));
}

TEST(ProductStrings, IndexesOutsideTheTableReadTheEmptyEntry) {
    EXPECT_STREQ("", GetProductString(33));
    EXPECT_STREQ("", GetProductString(40));
    EXPECT_STREQ("", GetProductString(-1));
    EXPECT_STREQ("", GetProductString(0x7FFFFFFF));
    EXPECT_STREQ("", GetProductString(5));  // unused entries are empty
}

TEST_F(CommonTest, ProductValueComesFromTheMachineKeyFirst) {
    SetInstallValue("Path", "C:\\Machine");
    SetInstallValue("Path", "C:\\User", true);
    EXPECT_EQ("C:\\Machine", ReadProductValue("Path"));
    EXPECT_EQ("", ReadProductValue("PDPath"));
}

TEST_F(CommonTest, PerUserValueIsFoundOnlyBeforeVista) {
    SetInstallValue("Path", "C:\\Only Per User", true);
    EXPECT_EQ("[C:\\Only Per User]", RunChildAs("win98", "product-value", "Path").output);
    EXPECT_EQ("[C:\\Only Per User]", RunChildAs("nt40", "product-value", "Path").output);
    EXPECT_EQ("[C:\\Only Per User]", RunChildAs("winxp", "product-value", "Path").output);
    EXPECT_EQ("[]", RunChildAs("vista", "product-value", "Path").output);
    EXPECT_EQ("[]", RunChildAs("win7", "product-value", "Path").output);
}

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

TEST(WindowsVersion, VistaOrLaterAcrossGenerations) {
    struct Case {
        const char* version;
        const char* expected;
    } cases[] = {{"win95", "0"}, {"win98", "0"}, {"winme", "0"}, {"nt40", "0"}, {"win2k", "0"},
                 {"winxp", "0"}, {"win2003", "0"}, {"vista", "1"}, {"win7", "1"}, {"win10", "1"}};
    for (const Case& c : cases) {
        const ChildResult result = RunChildAs(c.version, "vista-or-later");
        EXPECT_EQ(0, result.exitCode) << c.version;
        EXPECT_EQ(c.expected, result.output) << c.version;
    }
    EXPECT_FALSE(IsNtSixOrLater(true, 6));
    EXPECT_TRUE(IsNtSixOrLater(false, 6));
    EXPECT_FALSE(IsNtSixOrLater(false, 5));
}

TEST_F(CommonTest, ProfileCreatesKeysDownToTheSectionOnEveryAccess) {
    Profile profile("Quillon Software", "Orvelle");
    EXPECT_EQ(7u, profile.GetInt("Users\\Jane", "LUC", 7));
    EXPECT_TRUE(RegKey::Open(HKEY_CURRENT_USER, "Software\\Quillon Software\\Orvelle\\Users\\Jane"));
    std::string value;
    EXPECT_FALSE(RegKey::Open(HKEY_CURRENT_USER, "Software\\Quillon Software\\Orvelle\\Users\\Jane")
                     .ReadString("LUC", &value));
    EXPECT_EQ("none", profile.GetString("Users", "LUN", "none"));
}

TEST_F(CommonTest, ProfileStoresTypedValuesAndReadsFirstFourBytesOfAnyType) {
    Profile profile("Quillon Software", "Orvelle");
    ASSERT_TRUE(profile.WriteInt("Users\\Jane", "LUC", 1));
    ASSERT_TRUE(profile.WriteString("Users", "LUN", "Jane"));
    RegKey users = RegKey::Open(HKEY_CURRENT_USER, "Software\\Quillon Software\\Orvelle\\Users", KEY_ALL_ACCESS);
    std::vector<BYTE> data;
    DWORD type = 0;
    ASSERT_TRUE(users.ReadBytes("LUN", &data, &type));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::vector<BYTE>({'J', 'a', 'n', 'e', 0}), data);
    ASSERT_TRUE(RegKey::Open(HKEY_CURRENT_USER, "Software\\Quillon Software\\Orvelle\\Users\\Jane")
                    .ReadBytes("LUC", &data, &type));
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
