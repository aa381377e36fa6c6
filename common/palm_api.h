#pragma once

// Function types of Palm Desktop's Conduit Manager (CondMgr.dll), HotSync API
// (HsApi.dll) and User Manager (UserData.dll), bound by name at run time.
// Results are 32-bit integers, 0 for success.

#include <windows.h>

namespace palm {

// Conduit Manager.
using CmGetHotSyncExecPathFn = int(WINAPI*)(char* buffer, int* size);
using CmGetCreatorStringFn = int(WINAPI*)(const char* creator, char* buffer, int* size);
using CmGetCreatorIntFn = int(WINAPI*)(const char* creator, int* value);
using CmInstallCreatorFn = int(WINAPI*)(const char* creator, int conduitType);
using CmSetCreatorStringFn = int(WINAPI*)(const char* creator, const char* value);
using CmSetCreatorIntFn = int(WINAPI*)(const char* creator, int value);
using CmRemoveConduitByCreatorIDFn = int(WINAPI*)(const char* creator);
using NmUnregisterFn = int(WINAPI*)(const char* name);

// HotSync API.
using HsCheckApiStatusFn = int(WINAPI*)();
using HsGetSyncStatusFn = int(WINAPI*)(int* status);
using HsSetAppStatusFn = int(WINAPI*)(int status, int flags);

// User Manager.
using UmGetUserCountFn = short(WINAPI*)();
using UmGetUserIDFn = int(WINAPI*)(int index, DWORD* id);
using UmIsUserProfileFn = int(WINAPI*)(DWORD id);
using UmGetUserNameFn = int(WINAPI*)(DWORD id, char* buffer, int* size);
using UmIsUserInstalledFn = int(WINAPI*)(DWORD id);

constexpr int kConduitTypeApplication = 1;
constexpr int kAppStatusClose = 0;
constexpr int kAppStatusStart = 1;

constexpr char kCondMgrDll[] = "CondMgr.dll";
constexpr char kHsApiDll[] = "HsApi.dll";
constexpr char kUserDataDll[] = "UserData.dll";

}  // namespace palm
