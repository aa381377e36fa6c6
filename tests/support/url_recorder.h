#pragma once

#include <string>

namespace testsupport {

// The recording stand-in browser (standins/helpengine/urlrecorder) as the
// program the shell opens text files or web addresses with: it appends
// each address it is given to the record file, one line each. The handlers
// are registered below HKEY_CLASSES_ROOT, which a PrivateClasses of the
// test must redirect first.
bool RecordTextFileOpens(const std::string& record);
bool RecordWebAddressOpens(const std::string& record);

// What the recorder wrote, once it wrote something (it starts on its own,
// the shell does not wait for it), and a moment later, so that a second
// opening would show too. Empty after ten seconds without a record.
std::string RecordedOpens(const std::string& record);

}  // namespace testsupport
