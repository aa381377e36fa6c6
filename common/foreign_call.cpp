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
// EXCEPTION_UNWINDING and leaves ours at the head of the chain; then the
// handler leaves its own stack, which lies below the abandoned frames, for
// the stack and frame pointers of tw_call_with_frame, which unlinks the
// registration and returns 1.
//
// The handler is written here too: RtlUnwind is not bound to keep ebx, esi,
// edi or ebp (the system's own __except saves them around it), so after it
// only the stack pointer is trusted. cld: the foreign code may have left the
// direction flag set, which the calling convention forbids.
//
// Stack of tw_call_with_frame, from the registration up:
//   +0 previous registration, +4 handler, +8 edi, +12 esi, +16 ebx, +20 ebp.
// The handler's arguments (cdecl): record, registration, context, dispatcher.
extern "C" int tw_call_with_frame(ForeignCall call, void* context);

asm(R"(
    .text
    .globl _tw_call_with_frame
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

_tw_contain_handler:
    movl 4(%esp), %eax
    testl $6, 4(%eax)               # EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND:
    jnz 2f                          # our own registration passed by an unwind
    pushl $0
    pushl %eax
    pushl $_tw_contain_resume
    pushl 20(%esp)
    call _RtlUnwind@16              # (registration, resume, record, 0)
    movl 8(%esp), %esp
    leal 20(%esp), %ebp
    cld
    jmp _tw_contain_resume
2:
    movl $1, %eax                   # ExceptionContinueSearch
    ret
)");

bool CallContained(ForeignCall call, void* context) noexcept { return tw_call_with_frame(call, context) == 0; }

#else
#error "CallContained needs a way to contain structured exceptions on this target"
#endif
