#include "installer/owner_report.h"

#include "common/product_strings.h"
#include "installer/result_codes.h"

namespace {

HWND g_owner = nullptr;

int ShowBox(const char* text, UINT flags) noexcept {
    if (!g_owner) flags |= MB_TOPMOST;
    return MessageBoxA(g_owner, text, product::GetProductString(product::kProductName), flags);
}

}  // namespace

void SetOwnerWindow(HWND owner) { g_owner = owner; }

HWND OwnerWindow() { return g_owner; }

void ReportResult(int quiet, int code) noexcept {
    if (quiet || code == kSuccess) return;
    ShowBox(ResultMessage(code).text, MB_OK | MB_ICONEXCLAMATION);
}

bool AskYesNo(const char* question) { return ShowBox(question, MB_YESNO | MB_ICONQUESTION) == IDYES; }
