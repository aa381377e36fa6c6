#pragma once

#include <windows.h>

// The few Simple MAPI declarations the summary mail needs. MAPI32.DLL is
// never linked: MAPISendMail is looked up by name when a mail is sent.
namespace simple_mapi {

using LHANDLE = ULONG_PTR;

constexpr ULONG kSuccess = 0;       // SUCCESS_SUCCESS
constexpr ULONG kFailure = 2;       // MAPI_E_FAILURE
constexpr ULONG kRecipientTo = 1;   // MAPI_TO
constexpr ULONG kLogonUi = 0x1;     // MAPI_LOGON_UI
constexpr ULONG kDialog = 0x8;      // MAPI_DIALOG

struct MapiRecipDesc {
    ULONG ulReserved;
    ULONG ulRecipClass;
    LPSTR lpszName;
    LPSTR lpszAddress;
    ULONG ulEIDSize;
    LPVOID lpEntryID;
};

struct MapiFileDesc;

struct MapiMessage {
    ULONG ulReserved;
    LPSTR lpszSubject;
    LPSTR lpszNoteText;
    LPSTR lpszMessageType;
    LPSTR lpszDateReceived;
    LPSTR lpszConversationID;
    ULONG flFlags;
    MapiRecipDesc* lpOriginator;
    ULONG nRecipCount;
    MapiRecipDesc* lpRecips;
    ULONG nFileCount;
    MapiFileDesc* lpFiles;
};

using MAPISendMailFn = ULONG(WINAPI*)(LHANDLE session, ULONG_PTR uiParam, MapiMessage* message, ULONG flags,
                                      ULONG reserved);

}  // namespace simple_mapi
