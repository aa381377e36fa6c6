#include "bench/modal_run.h"

#include <map>
#include <vector>

#include "bench/clock.h"
#include "bench/output.h"
#include "tests/support/message_box_driver.h"

namespace bench {

namespace {

// Each timer's period: the 10 ms minimum of Windows and Wine.
const UINT kTickMs = 10;
const int kTimers = 10;
const double kTimerStaggerMs = 1.0;

struct Session {
    std::function<void()> tick;
    double deadline = 0;
    bool timedOut = false;
};
Session* g_session = nullptr;

struct Search {
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM parameter) noexcept {
    auto* search = reinterpret_cast<Search*>(parameter);
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    if (IsWindowVisible(window) && lstrcmpA(text, search->caption) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

bool IsDialog(HWND window) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    return lstrcmpA(name, "#32770") == 0;
}

BOOL CALLBACK EndOne(HWND window, LPARAM) noexcept {
    if (IsDialog(window)) EndDialog(window, IDCANCEL);
    return TRUE;
}

VOID CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) noexcept {
    Session* session = g_session;
    if (!session) return;
    if (NowMs() > session->deadline) {
        if (!session->timedOut) Fail("timed out");
        session->timedOut = true;
        EnumThreadWindows(GetCurrentThreadId(), EndOne, 0);
        return;
    }
    try {
        session->tick();
    } catch (...) {
        Fail("a step of the run threw");
    }
}

void ReportMessageBoxes(const testsupport::MessageBoxDriver& boxes) {
    for (const testsupport::SeenMessageBox& box : boxes.seen()) {
        std::string text = box.text;
        for (char& c : text) {
            if (c == '\r' || c == '\n') c = ' ';
        }
        Fail("unexpected message box: %s", text.c_str());
    }
}

std::map<std::string, double> g_activations;
ActivationListener g_onActivate;

LRESULT CALLBACK WatchActivation(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HCBT_ACTIVATE) {
        try {
            const double now = NowMs();
            HWND window = reinterpret_cast<HWND>(wParam);
            const std::string caption = testsupport::WindowText(window);
            g_activations.emplace(caption, now);
            if (g_onActivate) g_onActivate(window, caption, now);
        } catch (...) {
            Fail("watching an activation threw");
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

HWND FindShown(const char* caption) {
    Search search = {caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Windows and Wine raise a timer's period to 10 ms, which would make a dialog
// that is up in 2 ms look like one up in 10. Ten timers started 1 ms apart
// tick every millisecond between them.
bool RunModal(const std::function<void()>& call, const std::function<void()>& tick, double timeoutMs,
              double* startedAt) {
    testsupport::MessageBoxDriver boxes;  // answers nothing: every box is unexpected
    Session session;
    session.tick = tick;
    g_session = &session;
    std::vector<UINT_PTR> timers;
    for (int i = 0; i < kTimers; ++i) {
        const double next = NowMs() + kTimerStaggerMs;
        timers.push_back(SetTimer(nullptr, 0, kTickMs, Tick));
        while (i + 1 < kTimers && NowMs() < next) {
        }
    }
    session.deadline = NowMs() + timeoutMs;
    if (startedAt) *startedAt = NowMs();
    call();
    for (UINT_PTR timer : timers) KillTimer(nullptr, timer);
    // Ticks still queued belong to no session.
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {
    }
    g_session = nullptr;
    ReportMessageBoxes(boxes);
    return !session.timedOut;
}

void PostCommand(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void WatchActivations() { SetWindowsHookExA(WH_CBT, WatchActivation, nullptr, GetCurrentThreadId()); }

void ForgetActivations() { g_activations.clear(); }

double ActivatedAt(const char* caption) {
    const auto found = g_activations.find(caption);
    return found == g_activations.end() ? -1 : found->second;
}

void SetActivationListener(ActivationListener onActivate) { g_onActivate = std::move(onActivate); }

}  // namespace bench
