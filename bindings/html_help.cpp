#include "bindings/html_help.h"

#include <string>

#include "common/module.h"
#include "common/reg_key.h"

namespace {

const char kHtmlHelpServerKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
const WORD kHtmlHelpOrdinal = 14;

// The HTML Help engine: the registered in-process server, else hhctrl.ocx by
// name. Loaded once; an engine that does not load is not tried again, one
// lacking the help entry is asked for it again on every request.
class HelpEngine {
public:
    HelpEngine() : library_(LoadEngine()) {}
    // Help windows may outlive the library: the engine is never freed.
    ~HelpEngine() { library_.Release(); }
    HelpEngine(const HelpEngine&) = delete;
    HelpEngine& operator=(const HelpEngine&) = delete;

    INT_PTR Call(HWND caller, const char* helpFile, UINT command, DWORD_PTR data) {
        if (!htmlHelp_) htmlHelp_ = library_.Find<HtmlHelpFn>(MAKEINTRESOURCEA(kHtmlHelpOrdinal));
        if (!htmlHelp_) return 0;
        return reinterpret_cast<INT_PTR>(htmlHelp_(caller, helpFile, command, data));
    }

private:
    using HtmlHelpFn = HWND(WINAPI*)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);

    static Module LoadEngine() {
        RegKey server = RegKey::Open(HKEY_CLASSES_ROOT, kHtmlHelpServerKey, KEY_READ);
        std::string path;
        Module engine;
        if (server.ReadString(nullptr, &path) && !path.empty() && path.size() < MAX_PATH) {
            engine = Module::Load(path.c_str());
        }
        if (!engine) engine = Module::Load("hhctrl.ocx");
        return engine;
    }

    Module library_;
    HtmlHelpFn htmlHelp_ = nullptr;
};

}  // namespace

INT_PTR CallHtmlHelp(HWND caller, const char* helpFile, UINT command, DWORD_PTR data) {
    static HelpEngine engine;
    return engine.Call(caller, helpFile, command, data);
}
