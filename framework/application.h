#pragma once

#include <windows.h>

#include <string>

#include "common/profile.h"

// The application object of a library: where its resources live, its
// per-user profile, and the help hook. One static instance per library.
class Application {
public:
    Application(HMODULE resources, std::string company, std::string profileName);
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The library's application object (the last one constructed).
    static Application& Current();

    HMODULE resources() const { return resources_; }
    const Profile& profile() const { return profile_; }
    const std::string& profileName() const { return profileName_; }

    // The framework's help hook: every help request ends here.
    virtual void ShowHelp(DWORD context, UINT command);

    // The outermost dialog of the library on screen, else the active window.
    HWND MainWindow() const;
    void PushDialog(HWND dialog);
    void PopDialog(HWND dialog);

private:
    HMODULE resources_;
    std::string profileName_;
    Profile profile_;
    HWND dialogs_[16] = {};
    int dialogCount_ = 0;
};

// A string-table entry of the application's module; empty when missing.
std::string LoadResString(UINT id);

// The same into the caller's buffer, cut to fit, for what must still work
// when no memory can be had. Returns the length stored.
int LoadResText(UINT id, char* buffer, int size) noexcept;
