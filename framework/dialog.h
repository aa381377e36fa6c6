#pragma once

#include <windows.h>

#include <string>

class DataExchange;

// A modal dialog built from a dialog resource of the application's module.
// One static dialog procedure keeps the object with the window and forwards
// to a few virtual handlers; nothing throws through it.
class Dialog {
public:
    Dialog(UINT templateId, HWND parent);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog; the result given to EndDialog, or -1 when it could not be made.
    INT_PTR DoModal();

    HWND hwnd() const { return hwnd_; }
    HWND parent() const { return parent_; }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    std::string ItemText(int id) const;
    void SetItemText(int id, const std::string& text) const;

protected:
    // The base runs data exchange into the controls and lets Windows set the focus.
    virtual BOOL OnInitDialog();
    // One exchange function per dialog; the direction is the exchange's.
    virtual void DoDataExchange(DataExchange& exchange);
    // Commands other than OK, Cancel and Help; true when handled.
    virtual bool OnCommand(WORD id, WORD notification, HWND control);
    // The base OK ends the dialog; a derived OK validates first, then calls it.
    virtual void OnOK();
    virtual void OnCancel();
    // Any other message; true when handled, with its result.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    bool UpdateData(bool save);
    void EndDialog(INT_PTR result);

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    HWND parent_;
    HWND hwnd_ = nullptr;
};

// The standard Help command identifier.
constexpr WORD kHelpCommand = 57670;
