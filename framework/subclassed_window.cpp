#include "framework/subclassed_window.h"

namespace {
const char kObjectProperty[] = "Tidewell.SubclassedWindow";
}

SubclassedWindow::~SubclassedWindow() { Detach(); }

bool SubclassedWindow::Attach(HWND window) {
    if (!window || hwnd_) return false;
    hwnd_ = window;
    SetPropA(window, kObjectProperty, reinterpret_cast<HANDLE>(this));
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassedWindow::Procedure)));
    OnAttach();
    return true;
}

void SubclassedWindow::Detach() {
    if (!hwnd_) return;
    SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    RemovePropA(hwnd_, kObjectProperty);
    hwnd_ = nullptr;
    original_ = nullptr;
}

LRESULT SubclassedWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
}

LRESULT SubclassedWindow::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(original_, hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK SubclassedWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* object = reinterpret_cast<SubclassedWindow*>(GetPropA(window, kObjectProperty));
    if (!object) return DefWindowProcA(window, message, wParam, lParam);
    LRESULT result = 0;
    try {
        result = object->WindowProc(message, wParam, lParam);
    } catch (...) {
        result = object->Default(message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) object->Detach();
    return result;
}
