#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

// A call the stand-in help engine (standins/helpengine) recorded for this
// process: which copy of the engine took it and with what.
struct HelpCall {
    std::string engine;
    ULONGLONG caller = 0;
    std::string file = "<null>";
    DWORD command = 0xFFFFFFFF;
    ULONGLONG data = 0xFFFFFFFF;
};

// The calls of this process, in order.
std::vector<HelpCall> EngineCalls();
// Forgets this process's calls; the stand-in's root key goes too when no
// other process's calls are left under it.
void ForgetEngineCalls();

// The key HKEY_CLASSES_ROOT names the HTML Help control's server under.
extern const char kHelpServerKey[];

// Copies the stand-in engine of the variant ("helpengine",
// "helpengine-without-HtmlHelpA") into folder as name; its full path, or a
// text saying what could not be copied.
std::string PlaceHelpEngine(const std::string& variant, const std::string& folder,
                            const std::string& name = "HelpEngine.dll");

}  // namespace testsupport
