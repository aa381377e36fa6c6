#pragma once

#include <string>

#include "common/reg_key.h"

namespace testsupport {

// HKEY_CLASSES_ROOT of this process redirected to an empty key of its own,
// so a test can register handlers (http, .txt, the help engine) without
// touching the prefix that other tests share.
class PrivateClasses {
public:
    PrivateClasses();
    ~PrivateClasses();
    PrivateClasses(const PrivateClasses&) = delete;
    PrivateClasses& operator=(const PrivateClasses&) = delete;

    bool overridden() const { return overridden_; }

    // The default value of a key below HKEY_CLASSES_ROOT.
    static bool SetDefault(const char* keyPath, const std::string& value);

private:
    std::string path_;
    RegKey key_;
    bool overridden_ = false;
};

}  // namespace testsupport
