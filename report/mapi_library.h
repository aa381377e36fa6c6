#pragma once

#include <windows.h>

#include "common/module.h"
#include "report/simple_mapi.h"

// MAPI32.DLL, bound at run time for as long as this object lives: the
// library is never linked, and may be missing or lack MAPISendMail.
class MapiLibrary {
public:
    // Loads MAPI32.DLL in the library search order, without the system's
    // "file not found" box, and looks up MAPISendMail; false when either is missing.
    bool Load();

    bool CanSendMail() const { return sendMail_ != nullptr; }
    // MAPISendMail with no session; kFailure when it is not there or faults.
    ULONG SendMail(ULONG_PTR uiParam, simple_mapi::MapiMessage* message, ULONG flags) const;

private:
    Module module_;
    simple_mapi::MAPISendMailFn sendMail_ = nullptr;
};
