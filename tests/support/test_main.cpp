// Test programs run either as a GoogleTest suite or, with "--child NAME", as
// one registered child entry point (used to run code as another Windows version).
#include <gtest/gtest.h>

#include "tests/support/windows_versions.h"

int main(int argc, char** argv) {
    int exitCode = 0;
    if (testsupport::RunChildIfRequested(argc, argv, &exitCode)) return exitCode;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
