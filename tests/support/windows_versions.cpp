#include "tests/support/windows_versions.h"

#include <windows.h>

#include <cstring>
#include <map>

#include "common/reg_key.h"
#include "tests/support/test_paths.h"

namespace testsupport {

namespace {

std::map<std::string, ChildMain>& Children() {
    static std::map<std::string, ChildMain> children;
    return children;
}

std::string OwnPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// A copy of this program named for the version, so that Wine's per-program
// setting applies to it alone.
std::string ProgramAs(const std::string& windowsVersion) {
    const std::string own = OwnPath();
    const std::string stem = own.substr(own.rfind('\\') + 1, own.size() - own.rfind('\\') - 5);
    const std::string name = stem + "-" + windowsVersion + ".exe";
    const std::string copy = BinDir() + "\\" + name;
    CopyFileA(own.c_str(), copy.c_str(), FALSE);
    RegKey::Create(HKEY_CURRENT_USER, ("Software\\Wine\\AppDefaults\\" + name).c_str())
        .WriteString("Version", windowsVersion);
    return copy;
}

// Collects what the child writes until it ends. A child that does not end
// within the limit is ended and its output so far kept, with a line saying
// so: the case then fails with what the child did, instead of waiting on
// the pipe until the case's own time limit ends it without a word.
void ReadUntilExit(HANDLE pipe, HANDLE process, std::string* output) {
    constexpr DWORD kLimitMs = 240000;
    const DWORD start = GetTickCount();
    for (;;) {
        DWORD available = 0;
        char buffer[4096];
        DWORD got = 0;
        if (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available) {
            if (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got) output->append(buffer, got);
            continue;
        }
        if (WaitForSingleObject(process, 20) == WAIT_OBJECT_0) {
            while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available &&
                   ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got) {
                output->append(buffer, got);
            }
            return;
        }
        if (GetTickCount() - start > kLimitMs) {
            TerminateProcess(process, 124);
            WaitForSingleObject(process, 5000);
            *output += "\n[the child did not end within 240 s and was ended]\n";
            return;
        }
    }
}

}  // namespace

ChildRegistration::ChildRegistration(const char* name, ChildMain entry) { Children()[name] = entry; }

ChildResult RunChildProgram(const std::string& program, const std::string& child, const std::string& argument,
                            const std::string& folder) {
    ChildResult result;
    std::string commandLine = "\"" + program + "\" --child " + child + " \"" + argument + "\"";

    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return result;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                        folder.empty() ? nullptr : folder.c_str(), &startup, &process);
    CloseHandle(writeEnd);
    if (started) {
        ReadUntilExit(readEnd, process.hProcess, &result.output);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        result.exitCode = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    return result;
}

ChildResult RunChildAs(const std::string& windowsVersion, const std::string& child, const std::string& argument) {
    return RunChildProgram(ProgramAs(windowsVersion), child, argument);
}

bool RunChildIfRequested(int argc, char** argv, int* exitCode) {
    if (argc < 3 || std::strcmp(argv[1], "--child") != 0) return false;
    auto found = Children().find(argv[2]);
    *exitCode = found == Children().end() ? 127 : found->second(argc > 3 ? argv[3] : "");
    fflush(stdout);
    return true;
}

}  // namespace testsupport
