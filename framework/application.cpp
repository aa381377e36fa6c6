#include "framework/application.h"

#include <utility>

#include "common/module_string.h"

namespace {
Application* g_current = nullptr;
}

Application::Application(HMODULE resources, std::string company, std::string profileName)
    : resources_(resources), profileName_(profileName), profile_(std::move(company), std::move(profileName)) {
    g_current = this;
}

Application::~Application() {
    if (g_current == this) g_current = nullptr;
}

Application& Application::Current() { return *g_current; }

void Application::ShowHelp(DWORD, UINT) {}

HWND Application::MainWindow() const {
    for (int i = 0; i < dialogCount_; ++i) {
        if (dialogs_[i] && IsWindow(dialogs_[i])) return dialogs_[i];
    }
    return GetActiveWindow();
}

void Application::PushDialog(HWND dialog) {
    if (dialogCount_ < static_cast<int>(sizeof dialogs_ / sizeof dialogs_[0])) dialogs_[dialogCount_++] = dialog;
}

void Application::PopDialog(HWND dialog) {
    for (int i = dialogCount_ - 1; i >= 0; --i) {
        if (dialogs_[i] == dialog) {
            for (int j = i; j + 1 < dialogCount_; ++j) dialogs_[j] = dialogs_[j + 1];
            --dialogCount_;
            return;
        }
    }
}

std::string LoadResString(UINT id) { return LoadModuleString(Application::Current().resources(), id); }

int LoadResText(UINT id, char* buffer, int size) noexcept {
    if (size <= 0) return 0;
    buffer[0] = '\0';
    const int length = LoadStringA(Application::Current().resources(), id, buffer, size);
    return length > 0 ? length : 0;
}
