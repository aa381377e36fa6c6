#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/support/palm_desktop.h"

namespace testsupport {

// Removes everything the product, Palm Desktop and the stand-ins keep in the
// registry: the product's machine-wide and per-user keys, Palm Desktop's
// keys and the stand-ins' state.
void ResetProductState();

// Writes a value of the product's installation key (machine-wide, or per-user).
void SetInstallValue(const char* name, const std::string& value, bool perUser = false);
std::string InstallKeyPath();

// A clean product state around each test, with a product folder (the
// conduit libraries and our copy of CondMgr.dll, recorded as "Path") and a
// Palm Desktop folder holding the stand-ins, the HotSync Manager idle.
class ProductTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Only the folders and the registry reset, nothing installed.
    bool installOnSetUp_ = true;
    // Appended to the names of both folders ("product", "palm"), so that a
    // test can have them end in a character of its choice.
    std::string folderSuffix_;

    std::string productDir_;
    std::string palmDir_;
    PalmDesktop palm_;
};

}  // namespace testsupport
