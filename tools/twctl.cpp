// twctl: a command-line host for the product's libraries. It loads them by
// name from a folder, the way the product's installer and the calendar
// application do, calls one export and prints what it called and what came back.
//
// Exit codes: 0 the export was called (whatever it returned, printed);
// 1 the command line was refused (nothing loaded, nothing called);
// 2 the library did not load or lacks the export.

#include <windows.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/module.h"
#include "common/path.h"
#include "common/text.h"

namespace {

using TwoArgumentExport = int(WINAPI*)(HWND, int);
using DisplaySettingsExport = int(WINAPI*)(HWND);
using DisplayUserSettingsExport = int(WINAPI*)(int, const char*, HWND);

enum ExitCode { kCalled = 0, kRefused = 1, kNoExport = 2 };

// One column for every description; a term too long for it stands alone on its line.
const char kUsage[] =
    "usage: twctl [--dir FOLDER] [--owner-window] COMMAND [ARGUMENTS]\n"
    "\n"
    "Loads twpalm.dll or twpalmui.dll from FOLDER (default: the folder of twctl.exe), calls\n"
    "one export and prints the arguments it passed and the value that came back. Under Wine,\n"
    "run it in a prefix of its own: WINEPREFIX=<prefix> wine twctl.exe COMMAND ...\n"
    "\n"
    "commands:\n"
    "  install [--quiet]             InstallAllConduits(owner, quiet): register the Date Book\n"
    "                                and To Do List conduits\n"
    "  uninstall [--quiet]           UninstallAllConduits(owner, quiet): remove them and\n"
    "                                restore what they replaced\n"
    "  verify date|todo [--quiet]    VerifyConduitDate / VerifyConduitTask(owner, interactive):\n"
    "                                check the registration and offer to repair it\n"
    "  settings                      DisplaySettings(parent): the Palm users and their settings\n"
    "  user-settings date|todo NAME  DisplayUserSettings(conduit, NAME, parent): one Palm user's\n"
    "                                settings for one conduit (date 0, todo 1, or a number,\n"
    "                                passed as it is)\n"
    "\n"
    "options:\n"
    "  --quiet                       show nothing: quiet = 1 for install and uninstall,\n"
    "                                interactive = 0 for verify (without it: quiet = 0,\n"
    "                                interactive = 1)\n"
    "  --dir FOLDER                  the folder holding the product's libraries\n"
    "  --owner-window                own every message box by a window of twctl's (otherwise\n"
    "                                they are unowned, and therefore topmost)\n"
    "  --help                        this text\n"
    "\n"
    "exit code: 0 the export was called (whatever it returned), 1 the command line was\n"
    "refused, 2 the library did not load or lacks the export.\n";

struct Options {
    std::string folder;
    bool ownerWindow = false;
    bool help = false;
    std::vector<std::string> words;  // the command, its arguments and its flags
};

std::string OwnFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string program = path;
    const size_t backslash = text::FindLastChar(program, '\\');
    return backslash == std::string::npos ? std::string(".") : program.substr(0, backslash);
}

int Refuse(const std::string& message) {
    std::printf("twctl: %s (twctl --help lists the commands)\n", message.c_str());
    return kRefused;
}

// The options that hold for every command, wherever they stand; everything
// else is the command's. Empty when the command line is sound, else why not.
std::string ParseOptions(int argc, char** argv, Options* options) {
    options->folder = OwnFolder();
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--dir") {
            if (i + 1 >= argc) return "--dir needs a folder";
            options->folder = argv[++i];
        } else if (word == "--owner-window") {
            options->ownerWindow = true;
        } else if (word == "--help" || word == "-h") {
            options->help = true;
        } else {
            options->words.push_back(word);
        }
    }
    return std::string();
}

// The command's own words: its arguments (exactly `arguments` of them) and
// the flags it accepts; anything else refuses the command line.
struct CommandLine {
    std::vector<std::string> arguments;
    bool quiet = false;
};

std::string SplitCommand(const Options& options, size_t arguments, bool acceptsQuiet, CommandLine* line) {
    const std::string& command = options.words[0];
    for (size_t i = 1; i < options.words.size(); ++i) {
        const std::string& word = options.words[i];
        if (word.size() > 1 && word[0] == '-' && (word[1] < '0' || word[1] > '9')) {
            if (word == "--quiet" && acceptsQuiet) {
                line->quiet = true;
                continue;
            }
            if (word == "--silent" && acceptsQuiet) return "unknown option --silent for " + command + ": use --quiet";
            return "unknown option " + word + " for " + command;
        }
        line->arguments.push_back(word);
    }
    if (line->arguments.size() > arguments) return "too many arguments for " + command + ": " + line->arguments[arguments];
    if (line->arguments.size() < arguments) {
        if (command == "verify") return "verify needs a conduit: date or todo";
        return "user-settings needs a conduit (date or todo) and a Palm user name";
    }
    return std::string();
}

// A plain window of ours to own the library's message boxes.
HWND CreateOwnerWindow() {
    HWND window = CreateWindowExA(0, "STATIC", "twctl", WS_OVERLAPPEDWINDOW, 40, 40, 320, 120, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (window) ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

// The system's text for an error code, without its line break.
std::string ErrorText(DWORD error) {
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length && text ? std::string(text, length) : std::string("no text for this error");
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) {
        message.pop_back();
    }
    return message;
}

Module LoadLibraryFrom(const Options& options, const char* library) {
    const std::string file = path::Join(options.folder, library);
    Module module = Module::LoadQuietly(file.c_str());
    const DWORD error = GetLastError();
    if (!module) std::printf("twctl: cannot load %s: error %lu: %s\n", file.c_str(), error, ErrorText(error).c_str());
    return module;
}

// The export, or null once said why not (the library did not load, or lacks it).
template <typename Function>
Function FindExport(const Options& options, Module* module, const char* library, const char* name) {
    *module = LoadLibraryFrom(options, library);
    if (!*module) return nullptr;
    auto function = module->Find<Function>(name);
    if (!function) std::printf("twctl: %s has no export %s\n", library, name);
    return function;
}

int CallExport(const Options& options, const char* library, const char* name, const char* argument, int value) {
    Module module;
    auto function = FindExport<TwoArgumentExport>(options, &module, library, name);
    if (!function) return kNoExport;
    HWND owner = options.ownerWindow ? CreateOwnerWindow() : nullptr;
    std::printf("calling %s!%s(owner=%p, %s=%d)\n", library, name, static_cast<void*>(owner), argument, value);
    std::fflush(stdout);
    const int result = function(owner, value);
    std::printf("%s returned %d\n", name, result);
    if (owner) DestroyWindow(owner);
    return kCalled;
}

int ShowSettings(const Options& options) {
    Module module;
    auto function = FindExport<DisplaySettingsExport>(options, &module, "twpalmui.dll", "DisplaySettings");
    if (!function) return kNoExport;
    HWND owner = options.ownerWindow ? CreateOwnerWindow() : nullptr;
    std::printf("calling twpalmui.dll!DisplaySettings(parent=%p)\n", static_cast<void*>(owner));
    std::fflush(stdout);
    std::printf("DisplaySettings returned %d\n", function(owner));
    if (owner) DestroyWindow(owner);
    return kCalled;
}

// date 0, todo 1, or a whole decimal number; false for anything else.
bool ConduitKind(const std::string& word, int* conduit) {
    if (word == "date") return *conduit = 0, true;
    if (word == "todo") return *conduit = 1, true;
    if (word.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(word.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || number < INT_MIN || number > INT_MAX) return false;
    *conduit = static_cast<int>(number);
    return true;
}

int ShowUserSettings(const Options& options, const CommandLine& line) {
    int conduit = 0;
    if (!ConduitKind(line.arguments[0], &conduit)) {
        return Refuse("unknown conduit \"" + line.arguments[0] + "\": date, todo or a number");
    }
    Module module;
    auto function = FindExport<DisplayUserSettingsExport>(options, &module, "twpalmui.dll", "DisplayUserSettings");
    if (!function) return kNoExport;
    HWND owner = options.ownerWindow ? CreateOwnerWindow() : nullptr;
    const std::string& user = line.arguments[1];
    std::printf("calling twpalmui.dll!DisplayUserSettings(%d, \"%s\", parent=%p)\n", conduit, user.c_str(),
                static_cast<void*>(owner));
    std::fflush(stdout);
    std::printf("DisplayUserSettings returned %d\n", function(conduit, user.c_str(), owner));
    if (owner) DestroyWindow(owner);
    return kCalled;
}

int Run(const Options& options) {
    const std::string& command = options.words[0];
    CommandLine line;
    std::string refusal;
    if (command == "install" || command == "uninstall") {
        if (!(refusal = SplitCommand(options, 0, true, &line)).empty()) return Refuse(refusal);
        return CallExport(options, "twpalm.dll", command == "install" ? "InstallAllConduits" : "UninstallAllConduits",
                          "quiet", line.quiet ? 1 : 0);
    }
    if (command == "verify") {
        if (!(refusal = SplitCommand(options, 1, true, &line)).empty()) return Refuse(refusal);
        const std::string& conduit = line.arguments[0];
        if (conduit != "date" && conduit != "todo") {
            return Refuse("unknown conduit \"" + conduit + "\" for verify: date or todo");
        }
        return CallExport(options, "twpalm.dll", conduit == "date" ? "VerifyConduitDate" : "VerifyConduitTask",
                          "interactive", line.quiet ? 0 : 1);
    }
    if (command == "settings") {
        if (!(refusal = SplitCommand(options, 0, false, &line)).empty()) return Refuse(refusal);
        return ShowSettings(options);
    }
    if (command == "user-settings") {
        if (!(refusal = SplitCommand(options, 2, false, &line)).empty()) return Refuse(refusal);
        return ShowUserSettings(options, line);
    }
    if (command.size() > 1 && command[0] == '-') return Refuse("unknown option " + command);
    return Refuse("unknown command " + command);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    const std::string refusal = ParseOptions(argc, argv, &options);
    if (!refusal.empty()) return Refuse(refusal);
    if (options.help) {
        std::printf("%s", kUsage);
        return kCalled;
    }
    if (options.words.empty()) {
        std::printf("%s", kUsage);
        return kRefused;
    }
    return Run(options);
}
