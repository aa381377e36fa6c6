#pragma once

// Faults of a foreign library, for the stand-ins of libraries the product
// calls without trusting them: a mail provider, a damaged twpalm.dll.
#ifdef __cplusplus
extern "C" {
#endif

// Reads REG_DWORD "Fault" of HKEY_CURRENT_USER\<key> (missing: fallback) and,
// for a known kind, faults inside an exception frame of the library's own:
//   1  writes through a null pointer (an access violation)
//   2  RaiseException of an application code, non-continuable
//   3  a Visual C++ throw: RaiseException 0xE06D7363, non-continuable, with
//      the compiler's parameters
// The frame's handler counts its calls under the same key: "Searched" when
// asked to handle the exception, "Unwound" when called to unwind past it
// (EXCEPTION_UNWINDING), as a library's own cleanup would run. Returns only
// when no fault is asked for.
void ForeignFault(const char* key, unsigned long fallback);

#ifdef __cplusplus
}
#endif
