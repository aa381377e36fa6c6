#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace testsupport {

// A program a test starts as a process of its own (an installer, an example
// caller) and whose windows it reads and answers from outside, as a user
// would.
class ChildProcess {
public:
    ChildProcess(const std::string& commandLine, const std::string& workingDir);
    // The same with its standard output and error written to the file
    // outputPath (made anew), for a console program whose words matter.
    ChildProcess(const std::string& commandLine, const std::string& workingDir, const std::string& outputPath);
    // A command line with characters the ANSI code page may not have.
    ChildProcess(const std::wstring& commandLine, const std::string& workingDir);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Empty when the process started; else what went wrong.
    const std::string& startError() const { return startError_; }

    // Called with the process's visible top-level windows, one at a time,
    // every 50 ms until the process ends.
    using WindowVisitor = std::function<void(HWND)>;
    // Waits for the end, visiting the windows meanwhile; a process still
    // running after timeoutMs is terminated and false returned.
    bool WaitVisiting(const WindowVisitor& visit, DWORD timeoutMs);
    // Its exit code once it has ended.
    DWORD exitCode() const;

private:
    PROCESS_INFORMATION process_ = {};
    std::string startError_;
};

// A message box's text (the static with id 0xFFFF).
std::string MessageBoxText(HWND box);

}  // namespace testsupport
