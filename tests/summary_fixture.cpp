#include "tests/summary_fixture.h"

#include <cstdio>

#include "common/reg_key.h"
#include "tests/support/test_paths.h"

using namespace testsupport;

namespace {

const char kMapiStandInKey[] = "Software\\MAPI Stand-in";
const char kLastMailKey[] = "Software\\MAPI Stand-in\\LastMail";
const char kAlmanorInstallKey[] = "SOFTWARE\\Quillon Software\\Almanor\\Install";

std::string OwnProgramName() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string full = path;
    return full.substr(full.rfind('\\') + 1);
}

// Wine reads a program's DLL load order from here at each load.
std::string DllOverridesKey() { return "Software\\Wine\\AppDefaults\\" + OwnProgramName() + "\\DllOverrides"; }

}  // namespace

void SummaryTest::SetUp() {
    SettingsTest::SetUp();
    // The message box driver puts twpalmui's MessageBoxA import back when it
    // is destroyed, after the base has freed the library: keep it loaded.
    HMODULE pinned = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN, (BinDir() + "\\twpalmui.dll").c_str(), &pinned);
    DeleteKeyTree(HKEY_CURRENT_USER, kMapiStandInKey);
    DeleteFileA(SummaryPath().c_str());
}

void SummaryTest::TearDown() {
    for (const std::string& problem : dialogs_.problems()) ADD_FAILURE() << problem;
    mapi_.Free();
    RegDeleteValueA(RegKey::Open(HKEY_CURRENT_USER, DllOverridesKey().c_str(), KEY_SET_VALUE).get(), "mapi32");
    DeleteKeyTree(HKEY_CURRENT_USER, kMapiStandInKey);
    for (auto it = savedEnvironment_.rbegin(); it != savedEnvironment_.rend(); ++it) {
        SetEnvironmentVariableA(it->name.c_str(), it->existed ? it->value.c_str() : nullptr);
    }
    DeleteFileA(SummaryPath().c_str());
    if (!almanorDir_.empty()) RemoveTree(almanorDir_);
    SettingsTest::TearDown();
}

std::string SummaryTest::SummaryPathIn(const std::string& folder) {
    char name[32];
    std::snprintf(name, sizeof name, "summary-%lX.txt", static_cast<unsigned long>(GetCurrentThreadId()));
    return folder + name;
}

std::string SummaryTest::SummaryPath() {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return SummaryPathIn(folder);
}

void SummaryTest::InstallAlmanor(const std::string& program) {
    almanorDir_ = MakeScratchDir("almanor");
    ASSERT_TRUE(CopyFileTo(program, almanorDir_, "almanor.exe")) << program;
    RegKey::Create(HKEY_LOCAL_MACHINE, kAlmanorInstallKey).WriteString("Path", almanorDir_);
}

void SummaryTest::SetEnvironment(const char* name, const std::string& value) {
    char previous[32768];
    const DWORD length = GetEnvironmentVariableA(name, previous, sizeof previous);
    const bool existed = length > 0 && length < sizeof previous;
    savedEnvironment_.push_back({name, existed, existed ? previous : ""});
    SetEnvironmentVariableA(name, value.c_str());
}

void SummaryTest::SetMapiOverride(const char* order) {
    ASSERT_TRUE(RegKey::Create(HKEY_CURRENT_USER, DllOverridesKey().c_str()).WriteString("mapi32", order));
}

void SummaryTest::UseMapiStandIn(const std::string& variant) {
    // Native first, and the stand-in already loaded: a load by bare name
    // then finds it instead of Wine's own MAPI32.
    SetMapiOverride("native,builtin");
    // Another stand-in still loaded would be found by its name instead.
    mapi_.Free();
    const std::string path = StandInDir(variant) + "\\MAPI32.dll";
    mapi_ = Module::Load(path.c_str());
    ASSERT_TRUE(mapi_) << variant;
    const Module byName = Module::Load("MAPI32.DLL");
    char found[MAX_PATH] = {};
    GetModuleFileNameA(byName.get(), found, MAX_PATH);
    ASSERT_EQ(mapi_.get(), byName.get()) << "MAPI32.DLL by name is " << found;
    // Wine gives its own MAPI32 for the stand-in's path too when the override
    // was not seen: make that visible here rather than as a missing mail.
    char loaded[MAX_PATH] = {};
    GetModuleFileNameA(mapi_.get(), loaded, MAX_PATH);
    ASSERT_EQ(0, lstrcmpiA(loaded, path.c_str())) << "the stand-in's path gave " << loaded;
}

void SummaryTest::MakeMapiMissing() {
    mapi_.Free();
    // Native only, and there is no native MAPI32.DLL anywhere.
    SetMapiOverride("native");
}

void SummaryTest::SetMapiResult(DWORD result) {
    RegKey::Create(HKEY_CURRENT_USER, kMapiStandInKey).WriteDword("Result", result);
}

void SummaryTest::SetMapiFault(DWORD fault) {
    RegKey::Create(HKEY_CURRENT_USER, kMapiStandInKey).WriteDword("Fault", fault);
}

DWORD SummaryTest::MapiCount(const char* name) const {
    std::vector<BYTE> data;
    if (!RegKey::Open(HKEY_CURRENT_USER, kMapiStandInKey).ReadBytes(name, &data) || data.size() != 4) return 0;
    return *reinterpret_cast<const DWORD*>(data.data());
}

std::string SummaryTest::MailText(const char* name) const {
    return ReadRegString(HKEY_CURRENT_USER, kLastMailKey, name, "<missing>");
}

DWORD SummaryTest::MailDword(const char* name) const {
    std::vector<BYTE> data;
    if (!RegKey::Open(HKEY_CURRENT_USER, kLastMailKey).ReadBytes(name, &data) || data.size() != 4) return ~0u;
    return *reinterpret_cast<const DWORD*>(data.data());
}

ULONGLONG SummaryTest::MailQword(const char* name) const {
    std::vector<BYTE> data;
    if (!RegKey::Open(HKEY_CURRENT_USER, kLastMailKey).ReadBytes(name, &data) || data.size() != 8) return ~0ull;
    return *reinterpret_cast<const ULONGLONG*>(data.data());
}

void SummaryTest::RunSummary(const std::vector<DialogDriver::Action>& onSummary, WPARAM command) {
    dialogs_.On(kUserListCaption, [this, command](HWND dialog) {
        userList_ = dialog;
        PostMessageA(dialog, WM_SYSCOMMAND, command, 0);
    });
    for (const DialogDriver::Action& action : onSummary) dialogs_.On(kSummaryCaption, action);
    dialogs_.On(kUserListCaption, [](HWND dialog) { Click(dialog, IDCANCEL); });
    EXPECT_EQ(0, DisplaySettings());
}
