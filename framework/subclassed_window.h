#pragma once

#include <windows.h>

// A control of a dialog whose window procedure an object replaces. Attaching
// runs the OnAttach hook; the original procedure is put back when the window
// is destroyed, so the object never outlives its window's messages.
class SubclassedWindow {
public:
    SubclassedWindow() = default;
    virtual ~SubclassedWindow();
    SubclassedWindow(const SubclassedWindow&) = delete;
    SubclassedWindow& operator=(const SubclassedWindow&) = delete;

    bool Attach(HWND window);
    void Detach();
    HWND hwnd() const { return hwnd_; }

protected:
    // Runs once the window is attached.
    virtual void OnAttach() {}
    // Messages of the window; the base passes them to the original procedure.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    HWND hwnd_ = nullptr;
    WNDPROC original_ = nullptr;
};
