#include "tests/support/private_classes.h"

#include <windows.h>

namespace testsupport {

namespace {
const char kClassesRoot[] = "Software\\Tidewell Test Classes";
}

PrivateClasses::PrivateClasses() : path_(std::string(kClassesRoot) + "\\" + std::to_string(GetCurrentProcessId())) {
    DeleteKeyTree(HKEY_CURRENT_USER, path_.c_str());
    key_ = RegKey::Create(HKEY_CURRENT_USER, path_.c_str(), KEY_ALL_ACCESS);
    overridden_ = key_ && RegOverridePredefKey(HKEY_CLASSES_ROOT, key_.get()) == ERROR_SUCCESS;
}

PrivateClasses::~PrivateClasses() {
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    key_.Close();
    DeleteKeyTree(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, kClassesRoot);  // only when no other test's is left
}

bool PrivateClasses::SetDefault(const char* keyPath, const std::string& value) {
    return RegKey::Create(HKEY_CLASSES_ROOT, keyPath).WriteString(nullptr, value);
}

}  // namespace testsupport
