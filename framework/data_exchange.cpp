#include "framework/data_exchange.h"

#include "framework/subclassed_window.h"
#include "framework/window_text.h"

void DataExchange::Text(int id, std::string& value) {
    HWND control = GetDlgItem(dialog_, id);
    if (saving_) {
        value = WindowText(control);
    } else {
        SetWindowTextA(control, value.c_str());
    }
}

void DataExchange::Check(int id, bool& value) {
    if (saving_) {
        value = IsDlgButtonChecked(dialog_, id) == BST_CHECKED;
    } else {
        CheckDlgButton(dialog_, id, value ? BST_CHECKED : BST_UNCHECKED);
    }
}

void DataExchange::Radio(int firstId, int count, int& value) {
    if (saving_) {
        value = -1;
        for (int i = 0; i < count; ++i) {
            if (IsDlgButtonChecked(dialog_, firstId + i) == BST_CHECKED) value = i;
        }
        return;
    }
    for (int i = 0; i < count; ++i) {
        CheckDlgButton(dialog_, firstId + i, i == value ? BST_CHECKED : BST_UNCHECKED);
    }
}

void DataExchange::Control(int id, SubclassedWindow& control) {
    if (!control.hwnd()) control.Attach(GetDlgItem(dialog_, id));
}
