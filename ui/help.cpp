#include "ui/help.h"

#include <string>

#include "bindings/html_help.h"
#include "common/this_module.h"
#include "framework/application.h"

namespace {
const UINT kDisplayTopic = 0;
}  // namespace

void ShowProductHelp() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(ThisModule(), path, MAX_PATH);
    std::string helpFile(path, length < MAX_PATH ? length : 0);
    const size_t slash = helpFile.rfind('\\');
    if (slash == std::string::npos) return;
    helpFile = helpFile.substr(0, slash + 1) + "twpalm.chm";
    CallHtmlHelp(Application::Current().MainWindow(), helpFile.c_str(), kDisplayTopic, 0);
}
