#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/import_patch.h"

namespace testsupport {

// Records the names a module passes to LoadLibraryA while the recorder
// lives (on this thread's recorder; recorders nest). A load of
// `redirectedName` (compared ignoring case) loads `replacement` instead, so
// that a library Wine would take from its own builtins can be a stand-in.
class LibraryLoads {
public:
    explicit LibraryLoads(HMODULE module, std::string redirectedName = "", std::string replacement = "");
    ~LibraryLoads();
    LibraryLoads(const LibraryLoads&) = delete;
    LibraryLoads& operator=(const LibraryLoads&) = delete;

    bool applied() const { return patch_.applied(); }
    // The names asked for, in order, but the Palm User Manager's (UserData.dll).
    std::vector<std::string> BesidesUserManager() const;

private:
    static HMODULE WINAPI RecordingLoadLibraryA(LPCSTR name);

    LibraryLoads* previous_;
    std::string redirectedName_;
    std::string replacement_;
    std::vector<std::string> names_;
    ImportPatch patch_;
};

}  // namespace testsupport
