// twctl: a command-line host for the product's libraries. It loads them by
// name from a folder, the way the product's installer and the calendar
// application do, calls one export and prints what it called and what came back.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/module.h"
#include "common/path.h"

namespace {

using TwoArgumentExport = int(WINAPI*)(HWND, int);
using DisplaySettingsExport = int(WINAPI*)(HWND);
using DisplayUserSettingsExport = int(WINAPI*)(int, const char*, HWND);

const char kUsage[] =
    "usage: twctl [--dir FOLDER] [--owner-window] COMMAND [ARGUMENTS]\n"
    "\n"
    "Loads twpalm.dll or twpalmui.dll from FOLDER (default: the folder of twctl.exe) and calls\n"
    "an export.\n"
    "\n"
    "commands:\n"
    "  install [--quiet]          InstallAllConduits: register the Date Book and To Do List conduits\n"
    "  uninstall [--quiet]        UninstallAllConduits: remove them, restore what they replaced\n"
    "  verify date|todo [--silent]  VerifyConduitDate / VerifyConduitTask: check the registration\n"
    "                             and offer to repair it (--silent: ask and show nothing)\n"
    "  settings                   DisplaySettings (twpalmui.dll): the Palm users and their settings\n"
    "  user-settings date|todo NAME\n"
    "                             DisplayUserSettings: one Palm user's settings for one conduit\n"
    "\n"
    "options:\n"
    "  --dir FOLDER      the folder holding the product's libraries\n"
    "  --owner-window    own every message box by a window of twctl's (otherwise they are\n"
    "                    unowned, and therefore topmost)\n"
    "  --help            this text\n";

struct Options {
    std::string folder;
    bool ownerWindow = false;
    std::vector<std::string> words;  // the command and its arguments
};

std::string OwnFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\'));
}

bool ParseOptions(int argc, char** argv, Options* options) {
    options->folder = OwnFolder();
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--dir" && i + 1 < argc) {
            options->folder = argv[++i];
        } else if (word == "--owner-window") {
            options->ownerWindow = true;
        } else if (word == "--help" || word == "-h") {
            return false;
        } else {
            options->words.push_back(word);
        }
    }
    return !options->words.empty();
}

bool HasFlag(const Options& options, const char* flag) {
    for (size_t i = 1; i < options.words.size(); ++i) {
        if (options.words[i] == flag) return true;
    }
    return false;
}

// A plain window of ours to own the library's message boxes.
HWND CreateOwnerWindow() {
    HWND window = CreateWindowExA(0, "STATIC", "twctl", WS_OVERLAPPEDWINDOW, 40, 40, 320, 120, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (window) ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

Module LoadLibraryFrom(const Options& options, const char* library) {
    const std::string file = path::Join(options.folder, library);
    Module module = Module::Load(file.c_str());
    if (!module) std::printf("twctl: cannot load %s (error %lu)\n", file.c_str(), GetLastError());
    return module;
}

template <typename Function>
Function FindExport(const Module& module, const char* library, const char* name) {
    auto function = module.Find<Function>(name);
    if (!function) std::printf("twctl: %s has no export %s\n", library, name);
    return function;
}

int CallExport(const Options& options, const char* library, const char* name, int flag) {
    Module module = LoadLibraryFrom(options, library);
    auto function = FindExport<TwoArgumentExport>(module, library, name);
    if (!function) return 2;
    HWND owner = options.ownerWindow ? CreateOwnerWindow() : nullptr;
    std::printf("calling %s!%s(owner=%p, %d)\n", library, name, static_cast<void*>(owner), flag);
    std::fflush(stdout);
    const int result = function(owner, flag);
    std::printf("%s returned %d\n", name, result);
    if (owner) DestroyWindow(owner);
    return 0;
}

int ShowSettings(const Options& options) {
    Module module = LoadLibraryFrom(options, "twpalmui.dll");
    auto function = FindExport<DisplaySettingsExport>(module, "twpalmui.dll", "DisplaySettings");
    if (!function) return 2;
    HWND owner = options.ownerWindow ? CreateOwnerWindow() : nullptr;
    std::printf("calling twpalmui.dll!DisplaySettings(parent=%p)\n", static_cast<void*>(owner));
    std::fflush(stdout);
    std::printf("DisplaySettings returned %d\n", function(owner));
    if (owner) DestroyWindow(owner);
    return 0;
}

int ShowUserSettings(const Options& options) {
    if (options.words.size() < 3) {
        std::printf("twctl: user-settings needs a conduit (date or todo) and a Palm user name\n");
        return 1;
    }
    const int conduit = options.words[1] == "date" ? 0 : options.words[1] == "todo" ? 1 : std::atoi(options.words[1].c_str());
    Module module = LoadLibraryFrom(options, "twpalmui.dll");
    auto function = FindExport<DisplayUserSettingsExport>(module, "twpalmui.dll", "DisplayUserSettings");
    if (!function) return 2;
    HWND owner = options.ownerWindow ? CreateOwnerWindow() : nullptr;
    const std::string& user = options.words[2];
    std::printf("calling twpalmui.dll!DisplayUserSettings(%d, \"%s\", parent=%p)\n", conduit, user.c_str(),
                static_cast<void*>(owner));
    std::fflush(stdout);
    std::printf("DisplayUserSettings returned %d\n", function(conduit, user.c_str(), owner));
    if (owner) DestroyWindow(owner);
    return 0;
}

int Run(const Options& options) {
    const std::string& command = options.words[0];
    if (command == "install") {
        return CallExport(options, "twpalm.dll", "InstallAllConduits", HasFlag(options, "--quiet") ? 1 : 0);
    }
    if (command == "uninstall") {
        return CallExport(options, "twpalm.dll", "UninstallAllConduits", HasFlag(options, "--quiet") ? 1 : 0);
    }
    if (command == "verify" && options.words.size() >= 2) {
        const int interactive = HasFlag(options, "--silent") ? 0 : 1;
        if (options.words[1] == "date") return CallExport(options, "twpalm.dll", "VerifyConduitDate", interactive);
        if (options.words[1] == "todo") return CallExport(options, "twpalm.dll", "VerifyConduitTask", interactive);
    }
    if (command == "settings") return ShowSettings(options);
    if (command == "user-settings") return ShowUserSettings(options);
    std::printf("twctl: unknown command\n\n%s", kUsage);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::printf("%s", kUsage);
        return argc > 1 ? 0 : 1;
    }
    return Run(options);
}
