#pragma once

// GoogleTest's Notification uses std::mutex, which the -win32 thread model of
// mingw-w64 lacks; this one, on a Win32 event, takes its place. Included
// before every test source and GoogleTest itself (see tests/CMakeLists.txt).
#include <windows.h>

namespace testing {
namespace internal {

class Notification {
public:
    Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};

}  // namespace internal
}  // namespace testing
