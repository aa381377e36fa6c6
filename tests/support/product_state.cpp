#include "tests/support/product_state.h"

#include <windows.h>

#include "common/reg_key.h"
#include "standins/standin_state.h"
#include "tests/support/test_paths.h"

namespace testsupport {

std::string InstallKeyPath() { return "SOFTWARE\\Quillon Software\\Orvelle\\Install"; }

void ResetProductState() {
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quillon Software");
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Quillon Software");
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\U.S. Robotics");
    DeleteKeyTree(HKEY_CURRENT_USER, standin::kRootPath);
}

void SetInstallValue(const char* name, const std::string& value, bool perUser) {
    RegKey::Create(perUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, InstallKeyPath().c_str())
        .WriteString(name, value);
}

void ProductTest::SetUp() {
    ResetProductState();
    productDir_ = MakeScratchDir("product" + folderSuffix_);
    palmDir_ = MakeScratchDir("palm" + folderSuffix_);
    if (!installOnSetUp_) return;
    WriteTextFile(productDir_ + "\\twdate.dll", "Date Book conduit");
    WriteTextFile(productDir_ + "\\twtask.dll", "To Do List conduit");
    CopyFileTo(StandInDir() + "\\CondMgr.dll", productDir_);
    SetInstallValue("Path", productDir_);
    palm_.InstallTo(palmDir_);
    palm_.SetHotSync(false);
}

void ProductTest::TearDown() {
    ResetProductState();
    RemoveTree(productDir_);
    RemoveTree(palmDir_);
}

}  // namespace testsupport
