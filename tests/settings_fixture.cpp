#include "tests/settings_fixture.h"

#include <utility>
#include <vector>

#include "common/reg_key.h"
#include "resources/twpalmui_ids.h"
#include "tests/support/test_paths.h"

using namespace testsupport;

namespace {
const char kRoot[] = "Software\\Quillon Software\\Orvelle";
std::string SectionPath(const std::string& section) {
    return section.empty() ? kRoot : std::string(kRoot) + "\\" + section;
}
}  // namespace

void SettingsTest::SetUp() {
    ProductTest::SetUp();
    CopyFileTo(BinDir() + "\\twpalm.dll", productDir_);
    SetInstallValue("PDPath", palmDir_);
    RegisterBothConduits();
    twpalmui_ = Module::Load((BinDir() + "\\twpalmui.dll").c_str());
    ASSERT_TRUE(twpalmui_);
    boxes_.Watch(twpalmui_.get());
}

void SettingsTest::TearDown() {
    EXPECT_EQ(std::vector<std::string>(), dialogs_.problems()) << "the dialog script did not run as written";
    boxes_.StopWatching();
    twpalmui_.Free();
    ProductTest::TearDown();
}

void SettingsTest::RegisterBothConduits() {
    palm_.RegisterConduit("date", {{{"Name", productDir_ + "\\twdate.dll"}}, {{"Type", 1}}});
    palm_.RegisterConduit("todo", {{{"Name", productDir_ + "\\twtask.dll"}}, {{"Type", 1}}});
}

void SettingsTest::ExpectOnlyChanges(const RegistrySnapshot& before, std::vector<std::string> allowed,
                                     const std::vector<std::string>& users) {
    const std::vector<std::string> sections = SectionKeys(users);
    allowed.insert(allowed.end(), sections.begin(), sections.end());
    const std::vector<std::string> changes = UnexpectedChanges(before, TakeProductSnapshot(), allowed);
    EXPECT_TRUE(changes.empty()) << changes.size() << " unexpected changes, first: " << changes.front();
}

int SettingsTest::DisplaySettings(HWND parent) {
    auto display = twpalmui_.Find<int(WINAPI*)(HWND)>("DisplaySettings");
    EXPECT_TRUE(display != nullptr);
    return display ? display(parent) : -99;
}

int SettingsTest::DisplayUserSettings(int conduit, const char* user, HWND parent) {
    auto display = twpalmui_.Find<int(WINAPI*)(int, const char*, HWND)>("DisplayUserSettings");
    EXPECT_TRUE(display != nullptr);
    return display ? display(conduit, user, parent) : -99;
}

void SettingsTest::OnUserList(Action action) { dialogs_.On(kUserListCaption, IDC_USERS_SETTINGS, std::move(action)); }

void SettingsTest::OnAppList(Action action) { dialogs_.On(kUserListCaption, IDC_APPS_CHANGE, std::move(action)); }

void SettingsTest::OpenAppList() { OnUserList(Clicking(IDC_USERS_SETTINGS)); }

void SettingsTest::CloseUserList() { OnUserList(Clicking(IDCANCEL)); }

void SettingsTest::ScriptAppListRound(Action look, std::string* user) {
    OnUserList([look](HWND d) {
        look(d);
        Click(d, IDC_USERS_SETTINGS);
    });
    OnAppList([user](HWND d) {
        *user = ControlText(d, IDC_APPS_USER);
        Click(d, IDCANCEL);
    });
    CloseUserList();
}

SettingsTest::Action SettingsTest::Clicking(int id) {
    return [id](HWND dialog) { Click(dialog, id); };
}

void SettingsTest::MakeDataFile() {
    dataFile_ = productDir_ + "\\Home.al0";
    WriteTextFile(dataFile_, "calendar");
}

::testing::AssertionResult SettingsTest::ProfileDwordIs(const std::string& section, const char* name,
                                                      DWORD expected) {
    DWORD value = 0;
    if (!ProfileDword(section, name, &value)) {
        return ::testing::AssertionFailure() << section << "\\" << name << " is no REG_DWORD";
    }
    if (value != expected) {
        return ::testing::AssertionFailure() << section << "\\" << name << " is " << value << ", not " << expected;
    }
    return ::testing::AssertionSuccess();
}

std::string SettingsTest::ProfileString(const std::string& section, const char* name) {
    return ReadRegString(HKEY_CURRENT_USER, SectionPath(section).c_str(), name, "<missing>");
}

bool SettingsTest::ProfileDword(const std::string& section, const char* name, DWORD* value) {
    std::vector<BYTE> data;
    DWORD type = 0;
    RegKey key = RegKey::Open(HKEY_CURRENT_USER, SectionPath(section).c_str());
    if (!key.ReadBytes(name, &data, &type) || type != REG_DWORD || data.size() != 4) return false;
    *value = *reinterpret_cast<const DWORD*>(data.data());
    return true;
}

void SettingsTest::SetProfileDword(const std::string& section, const char* name, DWORD value) {
    RegKey::Create(HKEY_CURRENT_USER, SectionPath(section).c_str()).WriteDword(name, value);
}

void SettingsTest::SetProfileString(const std::string& section, const char* name, const std::string& value) {
    RegKey::Create(HKEY_CURRENT_USER, SectionPath(section).c_str()).WriteString(name, value);
}

bool SettingsTest::ProfileKeyExists(const std::string& section) {
    return static_cast<bool>(RegKey::Open(HKEY_CURRENT_USER, SectionPath(section).c_str()));
}
