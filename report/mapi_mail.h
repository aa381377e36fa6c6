#pragma once

#include <windows.h>

// Hands a message to the user's mail client through Simple MAPI: the client's
// compose window opens over owner, which stays disabled meanwhile. True only
// when MAPISendMail reports success; false when MAPI32.DLL or MAPISendMail is
// missing, the address is empty, or the user cancels. Every text but the
// address may be null or empty; the address, name and subject are cut to 517
// characters.
bool SendMailMessage(HWND owner, const char* address, const char* name, const char* subject, const char* body);
