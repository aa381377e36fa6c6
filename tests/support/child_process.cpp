#include "tests/support/child_process.h"

#include <vector>

namespace testsupport {

namespace {

struct WindowList {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM param) noexcept {
    auto* list = reinterpret_cast<WindowList*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == list->processId && IsWindowVisible(window)) list->windows.push_back(window);
    return TRUE;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& commandLine, const std::string& workingDir) {
    std::string line = commandLine;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, workingDir.c_str(), &startup,
                        &process_)) {
        startError_ = "cannot start " + commandLine + ": error " + std::to_string(GetLastError());
        process_ = {};
    }
}

ChildProcess::ChildProcess(const std::string& commandLine, const std::string& workingDir,
                           const std::string& outputPath) {
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) {
        startError_ = "cannot create " + outputPath + ": error " + std::to_string(GetLastError());
        return;
    }
    std::string line = commandLine;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = output;
    startup.hStdError = output;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, workingDir.c_str(), &startup,
                        &process_)) {
        startError_ = "cannot start " + commandLine + ": error " + std::to_string(GetLastError());
        process_ = {};
    }
    CloseHandle(output);
}

ChildProcess::ChildProcess(const std::wstring& commandLine, const std::string& workingDir) {
    std::wstring line = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    const int size = MultiByteToWideChar(CP_ACP, 0, workingDir.c_str(), -1, nullptr, 0);
    std::wstring folder(size > 0 ? static_cast<size_t>(size) : 1, L'\0');
    if (size > 0) MultiByteToWideChar(CP_ACP, 0, workingDir.c_str(), -1, &folder[0], size);
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &process_)) {
        startError_ = "cannot start a program: error " + std::to_string(GetLastError());
        process_ = {};
    }
}

ChildProcess::~ChildProcess() {
    if (process_.hProcess) {
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
}

bool ChildProcess::WaitVisiting(const WindowVisitor& visit, DWORD timeoutMs) {
    if (!process_.hProcess) return false;
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(process_.hProcess, 50) == WAIT_TIMEOUT) {
        if (GetTickCount() - start > timeoutMs) {
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 5000);
            return false;
        }
        WindowList list = {process_.dwProcessId, {}};
        EnumWindows(&CollectProcessWindow, reinterpret_cast<LPARAM>(&list));
        for (HWND window : list.windows) visit(window);
    }
    return true;
}

DWORD ChildProcess::exitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_.hProcess) GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

std::string MessageBoxText(HWND box) {
    char text[1024] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

}  // namespace testsupport
