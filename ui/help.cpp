#include "ui/help.h"

#include <string>

#include "bindings/html_help.h"
#include "common/path.h"
#include "common/text.h"
#include "common/this_module.h"
#include "framework/application.h"

namespace {
const UINT kDisplayTopic = 0;
const char kHelpFile[] = "twpalm.chm";
}  // namespace

void ShowProductHelp() {
    char modulePath[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(ThisModule(), modulePath, MAX_PATH);
    const std::string library(modulePath, length < MAX_PATH ? length : 0);
    const size_t slash = text::FindLastChar(library, '\\');
    if (slash == std::string::npos) return;
    const std::string helpFile = path::Join(library.substr(0, slash), kHelpFile);
    CallHtmlHelp(Application::Current().MainWindow(), helpFile.c_str(), kDisplayTopic, 0);
}
