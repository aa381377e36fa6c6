#pragma once

#include <string>

// Result codes of conduit registration: 0 is success, -1000 to -1017 come
// from the Conduit Manager unchanged, -1201 to -1209 are our own.
enum ResultCode : int {
    kSuccess = 0,
    kCmUnknownError = -1000,
    kCmConduitNotInstalled = -1003,
    kCmCreatorInUse = -1005,
    kCmBufferTooSmall = -1010,
    kCmValueNotFound = -1011,
    kCmLastError = -1017,
    kNmNotRegistered = -1021,  // from NmUnregister: counts as success
    ERR_CONDMGR_NOT_INCLUDED = -1201,
    ERR_CONDMGR_INVALID = -1202,
    ERR_HSAPI_NOT_FOUND = -1203,
    ERR_CONDUIT_NOT_FOUND = -1204,
    ERR_HOTSYNC_IN_PROGRESS = -1205,
    ERR_USERDATA_NOT_FOUND = -1206,
    ERR_NOT_REGISTERED = -1207,
    ERR_NO_PALM_DESKTOP = -1208,
    ERR_REINSTALL = -1209,
};

// The text shown for a non-zero code; codes outside the table get the
// "Unknown error occurred" text with the code in hexadecimal and decimal.
std::string ResultMessage(int code);
