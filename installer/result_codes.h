#pragma once

// Result codes of conduit registration: 0 is success, -1000 to -1017 come
// from the Conduit Manager unchanged, -1201 to -1209 are our own.
enum ResultCode : int {
    kSuccess = 0,
    kCmUnknownError = -1000,
    kCmConduitNotInstalled = -1003,
    kCmOutOfMemory = -1004,
    kCmCreatorInUse = -1005,
    kCmBufferTooSmall = -1010,
    kCmValueNotFound = -1011,
    kCmLastError = -1017,
    kNmNotRegistered = -1021,  // from NmUnregister: counts as success
    kCondMgrNotIncluded = -1201,
    kCondMgrInvalid = -1202,
    kHsApiNotFound = -1203,
    kConduitNotFound = -1204,
    kHotSyncInProgress = -1205,
    kUserDataNotFound = -1206,
    kNotRegistered = -1207,
    kNoPalmDesktop = -1208,
    kReinstall = -1209,
};

// The text of a result code, held by value: reporting a failure never
// allocates, so it also works when memory ran out.
struct ResultText {
    char text[192];
};

// The text shown for a non-zero code; codes outside the table get the
// "Unknown error occurred" text with the code in hexadecimal and decimal.
ResultText ResultMessage(int code) noexcept;
