#include "common/foreign_call.h"

#include <windows.h>

#if defined(_MSC_VER)

bool CallContained(ForeignCall call, void* context) noexcept {
    __try {
        call(context);
    } __except (EXCEPTION_EXECUTE_HANDLER) {
        return false;
    }
    return true;
}

#elif defined(__x86_64__)

#include <excpt.h>

// The filter of the scope below: every exception raised inside it is ours to
// contain. The C specific handler then unwinds to the end of the scope.
extern "C" LONG tw_contain_filter(EXCEPTION_POINTERS*, void*) { return EXCEPTION_EXECUTE_HANDLER; }

// Not inlined: the scope's labels may appear once in this file only. In
// ".text" itself: the scope's data ends by switching back to that section.
__attribute__((noinline, section(".text"))) bool CallContained(ForeignCall call, void* context) noexcept {
    volatile bool completed = false;
    __try1(tw_contain_filter)
    call(context);
    completed = true;
    __except1
    return completed;
}

#elif defined(__i386__)

// An exception registration pushed on the stack and linked into the thread's
// chain at fs:0, the way Windows 95 already dispatched exceptions.
//
// The handler cannot simply resume with a rewritten context: the system
// refuses to continue a non-continuable exception (a Visual C++ throw, say,
// from a mail provider), and the foreign frames above ours would be dropped
// without their own handlers running. So it does what a compiler's __except
// does: RtlUnwind calls every handler above our registration with
// EXCEPTION_UNWINDING and leaves ours at the head of the chain; then
// tw_contain_resume continues with the stack and frame pointers of
// tw_call_with_frame, which unlinks the registration and returns 1.
//
// Stack of tw_call_with_frame, from the registration up:
//   +0 previous registration, +4 handler, +8 edi, +12 esi, +16 ebx, +20 ebp.
extern "C" int tw_call_with_frame(ForeignCall call, void* context);
extern "C" void tw_contain_resume();
extern "C" [[noreturn]] void tw_resume_at(void* registration);

namespace {
constexpr DWORD kUnwinding = 0x2;    // EXCEPTION_UNWINDING
constexpr DWORD kExitUnwind = 0x4;   // EXCEPTION_EXIT_UNWIND
}  // namespace

extern "C" EXCEPTION_DISPOSITION __cdecl tw_contain_handler(EXCEPTION_RECORD* record, void* registration, CONTEXT*,
                                                            void*) {
    // Our own registration being unwound: by a later RtlUnwind of someone
    // below us, which cannot happen while the call runs, or by our own.
    if (record->ExceptionFlags & (kUnwinding | kExitUnwind)) return ExceptionContinueSearch;
    RtlUnwind(registration, reinterpret_cast<void*>(&tw_contain_resume), record, nullptr);
    tw_resume_at(registration);
}

// tw_resume_at leaves the handler's stack, which lies below the abandoned
// frames, for our frame; cld because the foreign code may have left the
// direction flag set, which the calling convention forbids.
asm(R"(
    .text
    .globl _tw_call_with_frame
    .globl _tw_contain_resume
    .globl _tw_resume_at
_tw_call_with_frame:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    pushl $_tw_contain_handler
    pushl %fs:0
    movl %esp, %fs:0
    pushl 12(%ebp)
    call *8(%ebp)
    movl %ebp, %esp
    subl $20, %esp
    xorl %eax, %eax
    jmp 1f
_tw_resume_at:
    movl 4(%esp), %esp
    leal 20(%esp), %ebp
    cld
_tw_contain_resume:
    movl $1, %eax
1:
    popl %ecx
    movl %ecx, %fs:0
    addl $4, %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
)");

bool CallContained(ForeignCall call, void* context) noexcept { return tw_call_with_frame(call, context) == 0; }

#else
#error "CallContained needs a way to contain structured exceptions on this target"
#endif
