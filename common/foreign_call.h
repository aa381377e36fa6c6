#pragma once

// Calls into code that is not ours and may fault: a damaged or replaced
// library's export, a third-party mail provider. A structured exception
// raised inside the call (an access violation, say) ends the call instead of
// the host process.
//
// The call must not throw a C++ exception of ours: it is plain code around a
// foreign function pointer.
using ForeignCall = void (*)(void* context) noexcept;

// Runs call(context); false when it raised a structured exception, which is
// then contained. Works on every Windows from 95 on: an exception frame on
// the stack for 32-bit x86, the function tables for x86_64.
bool CallContained(ForeignCall call, void* context) noexcept;
