// Stand-in for Simple MAPI (MAPI32.DLL): records the mail it is handed in the
// registry and returns the result a test asks for, showing nothing.
//
// HKCU\Software\MAPI Stand-in
//   Result     REG_DWORD  what MAPISendMail returns (missing: 0, success)
//   Fault      REG_DWORD  MAPISendMail records the mail, then faults as a broken
//                         mail provider would, inside a frame of its own
//                         (standins/foreign_faults.h: the kinds, and the
//                         "Searched" and "Unwound" counts of that frame)
//   Calls      REG_DWORD  number of MAPISendMail calls so far
//   LastMail   the last call, rewritten by each call:
//     Session, UIParam          REG_QWORD  lhSession, ulUIParam
//     Flags, Reserved           REG_DWORD
//     OwnerEnabled, OwnerHasCapture, FocusIsNone
//                               REG_DWORD  the window ulUIParam names, during the call
//     MessageMissing            REG_DWORD  1 when the message pointer is null
//     Subject, NoteText         REG_SZ     absent when the pointer is null
//     RecipCount, FileCount     REG_DWORD; FilesMissing REG_DWORD 1 when lpFiles is null
//     Recip<n>Class             REG_DWORD; Recip<n>Name, Recip<n>Address REG_SZ (absent
//                               when null), for the first kMaxRecipients recipients
#include <windows.h>

#include <cstring>
#include <string>

#include "common/reg_key.h"
#include "report/simple_mapi.h"
#include "standins/foreign_faults.h"

using simple_mapi::MapiMessage;

namespace {

const char kRoot[] = "Software\\MAPI Stand-in";
const char kLastMail[] = "Software\\MAPI Stand-in\\LastMail";
const ULONG kMaxRecipients = 8;
// Longer texts are recorded cut: the registry is no place for more.
const size_t kMaxRecordedText = 1 << 20;

void WriteQword(const RegKey& key, const char* name, ULONGLONG value) {
    RegSetValueExA(key.get(), name, 0, REG_QWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void WriteText(const RegKey& key, const char* name, const char* text) {
    if (!text) return;
    key.WriteString(name, std::string(text, strnlen(text, kMaxRecordedText)));
}

void Record(ULONG_PTR session, ULONG_PTR uiParam, const MapiMessage* message, ULONG flags, ULONG reserved) {
    DeleteKeyTree(HKEY_CURRENT_USER, kLastMail);
    const RegKey mail = RegKey::Create(HKEY_CURRENT_USER, kLastMail);
    WriteQword(mail, "Session", session);
    WriteQword(mail, "UIParam", uiParam);
    mail.WriteDword("Flags", flags);
    mail.WriteDword("Reserved", reserved);
    HWND owner = reinterpret_cast<HWND>(uiParam);
    mail.WriteDword("OwnerEnabled", owner && IsWindowEnabled(owner) ? 1 : 0);
    mail.WriteDword("OwnerHasCapture", owner && GetCapture() == owner ? 1 : 0);
    mail.WriteDword("FocusIsNone", GetFocus() == nullptr ? 1 : 0);
    mail.WriteDword("MessageMissing", message ? 0 : 1);
    if (!message) return;
    WriteText(mail, "Subject", message->lpszSubject);
    WriteText(mail, "NoteText", message->lpszNoteText);
    mail.WriteDword("RecipCount", message->nRecipCount);
    for (ULONG i = 0; message->lpRecips && i < message->nRecipCount && i < kMaxRecipients; ++i) {
        const std::string prefix = "Recip" + std::to_string(i);
        mail.WriteDword((prefix + "Class").c_str(), message->lpRecips[i].ulRecipClass);
        WriteText(mail, (prefix + "Name").c_str(), message->lpRecips[i].lpszName);
        WriteText(mail, (prefix + "Address").c_str(), message->lpRecips[i].lpszAddress);
    }
    mail.WriteDword("FileCount", message->nFileCount);
    mail.WriteDword("FilesMissing", message->lpFiles ? 0 : 1);
}

DWORD ReadDword(const RegKey& key, const char* name, DWORD def) {
    DWORD value = def, size = sizeof value, type = 0;
    if (RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD) {
        return def;
    }
    return value;
}

}  // namespace

// Gives the variant without MAPISendMail an export of its own: a DLL with none
// would have the linker export everything.
extern "C" ULONG WINAPI MAPIFreeBuffer(LPVOID) { return simple_mapi::kSuccess; }

extern "C" ULONG WINAPI MAPISendMail(ULONG_PTR session, ULONG_PTR uiParam, MapiMessage* message, ULONG flags,
                                     ULONG reserved) {
    const RegKey root = RegKey::Create(HKEY_CURRENT_USER, kRoot);
    root.WriteDword("Calls", ReadDword(root, "Calls", 0) + 1);
    Record(session, uiParam, message, flags, reserved);
    ForeignFault(kRoot, 0);
    return ReadDword(root, "Result", simple_mapi::kSuccess);
}
