#include "ui/messages.h"


#include "common/format_text.h"
#include "common/product_strings.h"
#include "common/unique_handle.h"
#include "framework/application.h"
#include "resources/twpalmui_ids.h"

namespace {

const char* Caption() { return product::GetProductString(product::kProductName); }

// Text that FormatMessage allocated.
struct LocalTextTraits {
    using Handle = char*;
    static Handle Empty() { return nullptr; }
    static void Close(Handle text) { LocalFree(text); }
};
using SystemText = UniqueHandle<LocalTextTraits>;

}  // namespace

void ShowError(const std::string& text, HWND owner) {
    MessageBoxA(owner, text.c_str(), Caption(), MB_TOPMOST | MB_ICONERROR);
}

void ShowWarning(const std::string& text, HWND owner) { MessageBoxA(owner, text.c_str(), Caption(), MB_ICONWARNING); }

std::string GetErrorText(DWORD code) {
    if (code == 0 || code == 1) return "";
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&buffer), 0, nullptr);
    const SystemText systemText(buffer);
    if (length && systemText) return std::string(systemText.get(), length);
    const std::string format = LoadResString(IDS_UNKNOWN_ERROR);
    char text[512] = {};
    FormatText(text, sizeof text, format.c_str(), static_cast<unsigned>(code));
    return text;
}

void ReportError(DWORD code, HWND owner) {
    const std::string text = GetErrorText(code);
    if (text.empty()) return;
    if (!owner) {
        HWND main = Application::Current().MainWindow();
        if (main) owner = GetLastActivePopup(main);
    }
    ShowError(text, owner);
}
