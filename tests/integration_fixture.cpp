#include "tests/integration_fixture.h"

#include "tests/support/registry.h"

namespace testsupport {

void IntegrationTest::RegisterPalmDateBook() {
    StandInConduit palmDateBook;
    palmDateBook.strings = {{"Name", kPalmDateBookLibrary}, {"Directory", "datebook"}, {"Title", "Date Book"}};
    palmDateBook.numbers = {{"Priority", 5}, {"Integrate", 7}};
    palm_.RegisterConduit("date", palmDateBook);
}

std::string IntegrationTest::RegisteredLibrary(const std::string& creator) const {
    if (!palm_.HasConduit(creator)) return "(none)";
    return palm_.Conduit(creator).strings["Name"];
}

std::string IntegrationTest::ReadString(HKEY root, const std::string& path, const char* name) {
    if (!KeyExists(root, path)) return "(no key)";
    const RawValue value = ReadRawValue(root, path, name);
    if (!value.present) return "(no value)";
    std::string text(value.data.begin(), value.data.end());
    return text.substr(0, text.find('\0'));
}

}  // namespace testsupport
