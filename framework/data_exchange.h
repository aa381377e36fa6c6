#pragma once

#include <windows.h>

#include <string>

class SubclassedWindow;

// Moves values between a dialog's controls and its fields, in the direction
// of the exchange: into the controls, or back into the fields when saving.
class DataExchange {
public:
    DataExchange(HWND dialog, bool saving) : dialog_(dialog), saving_(saving) {}

    bool saving() const { return saving_; }
    bool failed() const { return failed_; }
    void Fail() { failed_ = true; }

    void Text(int id, std::string& value);
    void Check(int id, bool& value);
    // A group of radio buttons with consecutive ids from firstId: the index of
    // the checked one, -1 when none is checked (no button checked on the way in).
    void Radio(int firstId, int count, int& value);
    // Attaches (subclasses) the dialog's control to the object, once.
    void Control(int id, SubclassedWindow& control);

private:
    HWND dialog_;
    bool saving_;
    bool failed_ = false;
};
