#include "tests/support/library_loads.h"

namespace testsupport {

namespace {
thread_local LibraryLoads* t_loads = nullptr;
}

LibraryLoads::LibraryLoads(HMODULE module, std::string redirectedName, std::string replacement)
    : previous_(t_loads),
      redirectedName_(std::move(redirectedName)),
      replacement_(std::move(replacement)),
      patch_(module, "KERNEL32.dll", "LoadLibraryA", reinterpret_cast<void*>(&RecordingLoadLibraryA)) {
    t_loads = this;
}

LibraryLoads::~LibraryLoads() { t_loads = previous_; }

HMODULE WINAPI LibraryLoads::RecordingLoadLibraryA(LPCSTR name) {
    const std::string asked = name ? name : "<null>";
    if (!t_loads) return LoadLibraryA(name);
    t_loads->names_.push_back(asked);
    if (!t_loads->redirectedName_.empty() && lstrcmpiA(asked.c_str(), t_loads->redirectedName_.c_str()) == 0) {
        return LoadLibraryA(t_loads->replacement_.c_str());
    }
    return LoadLibraryA(name);
}

std::vector<std::string> LibraryLoads::BesidesUserManager() const {
    std::vector<std::string> names;
    for (const std::string& name : names_) {
        if (lstrcmpiA(name.substr(name.rfind('\\') + 1).c_str(), "UserData.dll") != 0) names.push_back(name);
    }
    return names;
}

}  // namespace testsupport
