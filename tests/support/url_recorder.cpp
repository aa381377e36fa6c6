#include "tests/support/url_recorder.h"

#include <windows.h>

#include "tests/support/private_classes.h"
#include "tests/support/test_paths.h"

namespace testsupport {

namespace {

std::string RecorderCommand(const std::string& record) {
    return "\"" + StandInDir("urlrecorder") + "\\UrlRecorder.exe\" \"" + record + "\" \"%1\"";
}

}  // namespace

bool RecordTextFileOpens(const std::string& record) {
    return PrivateClasses::SetDefault(".txt", "tidewelltest.log") &&
           PrivateClasses::SetDefault("tidewelltest.log\\shell\\open\\command", RecorderCommand(record));
}

bool RecordWebAddressOpens(const std::string& record) {
    return PrivateClasses::SetDefault("http\\shell\\open\\command", RecorderCommand(record));
}

std::string RecordedOpens(const std::string& record) {
    for (int waited = 0; waited < 10000 && ReadTextFile(record).empty(); waited += 50) Sleep(50);
    Sleep(300);
    return ReadTextFile(record);
}

}  // namespace testsupport
