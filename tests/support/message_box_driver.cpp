#include "tests/support/message_box_driver.h"

namespace testsupport {

namespace {

thread_local MessageBoxDriver* t_driver = nullptr;

const int kMessageTextId = 0xFFFF;
const int kMessageIconId = 0x440;

bool HasButton(HWND box, int id) { return GetDlgItem(box, id) != nullptr; }

}  // namespace

UINT ReadMessageBoxButtons(HWND box) {
    const bool ok = HasButton(box, IDOK), cancel = HasButton(box, IDCANCEL);
    const bool yes = HasButton(box, IDYES), no = HasButton(box, IDNO);
    const bool abort = HasButton(box, IDABORT), retry = HasButton(box, IDRETRY);
    if (yes && no) return cancel ? MB_YESNOCANCEL : MB_YESNO;
    if (abort && retry) return MB_ABORTRETRYIGNORE;
    if (retry && cancel) return MB_RETRYCANCEL;
    if (ok && cancel) return MB_OKCANCEL;
    return MB_OK;
}

namespace {

// A box nobody answered is closed with the least committal button.
int DefaultAnswer(HWND box) {
    if (HasButton(box, IDCANCEL)) return IDCANCEL;
    if (HasButton(box, IDNO)) return IDNO;
    return IDOK;
}

}  // namespace

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window, &text[0], length + 1)));
    return text;
}

namespace {

// A message box holds only its text, its icon and standard buttons.
BOOL CALLBACK HasOnlyMessageBoxControls(HWND child, LPARAM lParam) {
    const int id = GetDlgCtrlID(child);
    const bool standard = id == kMessageTextId || id == kMessageIconId || (id >= IDOK && id <= IDCONTINUE);
    if (!standard) *reinterpret_cast<bool*>(lParam) = false;
    return standard;
}

}  // namespace

bool IsMessageBox(HWND window) {
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "#32770") != 0 || GetDlgItem(window, kMessageTextId) == nullptr) return false;
    bool onlyStandard = true;
    EnumChildWindows(window, HasOnlyMessageBoxControls, reinterpret_cast<LPARAM>(&onlyStandard));
    return onlyStandard;
}

MessageBoxDriver::MessageBoxDriver() : previous_(t_driver) {
    t_driver = this;
    hook_ = SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
}

MessageBoxDriver::~MessageBoxDriver() {
    if (hook_) UnhookWindowsHookEx(hook_);
    t_driver = previous_;
}

void MessageBoxDriver::Answer(int button) { answers_.push_back(button); }

void MessageBoxDriver::Watch(HMODULE module) {
    patches_.push_back(std::make_unique<ImportPatch>(module, "USER32.dll", "MessageBoxA",
                                                     reinterpret_cast<void*>(&RecordingMessageBoxA)));
}

int WINAPI MessageBoxDriver::RecordingMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT flags) {
    if (t_driver) {
        t_driver->pendingFlags_ = flags;
        t_driver->pending_ = true;
    }
    using MessageBoxFn = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);
    auto real = reinterpret_cast<MessageBoxFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "MessageBoxA")));
    return real(owner, text, caption, flags);
}

std::vector<std::string> MessageBoxDriver::texts() const {
    std::vector<std::string> texts;
    for (const SeenMessageBox& box : seen_) texts.push_back(box.text);
    return texts;
}

int MessageBoxDriver::unexpected() const {
    int count = 0;
    for (const SeenMessageBox& box : seen_) count += box.expected ? 0 : 1;
    return count;
}

LRESULT CALLBACK MessageBoxDriver::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && t_driver) t_driver->OnActivate(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void MessageBoxDriver::OnActivate(HWND window) {
    if (!IsMessageBox(window)) return;
    // Activation can repeat for one box; record it once.
    if (GetPropA(window, "tw.seen")) return;
    SetPropA(window, "tw.seen", reinterpret_cast<HANDLE>(1));

    SeenMessageBox box;
    box.caption = WindowText(window);
    box.text = WindowText(GetDlgItem(window, kMessageTextId));
    box.owner = GetWindow(window, GW_OWNER);
    box.flags = pending_ ? pendingFlags_ : ReadMessageBoxButtons(window);
    pending_ = false;
    box.expected = !answers_.empty();
    const int answer = box.expected ? answers_.front() : DefaultAnswer(window);
    if (box.expected) answers_.pop_front();
    seen_.push_back(box);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
}

}  // namespace testsupport
