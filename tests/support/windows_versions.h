#pragma once

#include <string>

namespace testsupport {

// A child entry point of a test program: runs in a process of its own when
// the program is started with "--child NAME"; its result is the exit code.
using ChildMain = int (*)(const std::string& argument);

struct ChildRegistration {
    ChildRegistration(const char* name, ChildMain entry);
};

struct ChildResult {
    int exitCode = -1;
    std::string output;  // what the child wrote to standard output
};

// Runs this test program again as another Windows version (Wine's
// per-program "Version": win98, winme, nt40, win2k, winxp, vista, win7, ...)
// in child mode.
ChildResult RunChildAs(const std::string& windowsVersion, const std::string& child,
                       const std::string& argument = "");

// Runs a program (a copy of this test program) in child mode, in folder when
// given, and collects what it printed.
ChildResult RunChildProgram(const std::string& program, const std::string& child, const std::string& argument,
                            const std::string& folder = "");

// Called by main: runs the child named on the command line, if any.
bool RunChildIfRequested(int argc, char** argv, int* exitCode);

}  // namespace testsupport
