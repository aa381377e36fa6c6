/* Preloaded into every process of the 32-bit root (see i386_root.sh).
 *
 * qemu-user leaves trapno = -1 in the signal context of every fault. Wine
 * decides what a fault was from trapno, so without this an access violation
 * reaches Windows code as an illegal instruction and Wine's own uses of
 * faults (guard pages, write watches, IsBadWritePtr) end the process. The
 * wrapper below puts back the number the kernel would have given, from the
 * signal and its si_code, before Wine's handler runs. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <ucontext.h>

enum { kTrapDivide = 0, kTrapStep = 1, kTrapBreakpoint = 3, kTrapOverflow = 4, kTrapInvalidOpcode = 6,
       kTrapProtection = 13, kTrapPageFault = 14, kTrapFloat = 16, kTrapAlignment = 17 };

typedef void (*Handler)(int, siginfo_t*, void*);
typedef int (*Sigaction)(int, const struct sigaction*, struct sigaction*);

static Handler wine_handlers[_NSIG];

static int trap_number(int sig, int code) {
    switch (sig) {
    case SIGSEGV: return code == SEGV_MAPERR || code == SEGV_ACCERR ? kTrapPageFault : kTrapProtection;
    case SIGBUS: return code == BUS_ADRALN ? kTrapAlignment : kTrapPageFault;
    case SIGILL: return code == ILL_PRVOPC || code == ILL_PRVREG ? kTrapProtection : kTrapInvalidOpcode;
    case SIGFPE:
        if (code == FPE_INTDIV) return kTrapDivide;
        if (code == FPE_INTOVF) return kTrapOverflow;
        return kTrapFloat;
    case SIGTRAP: return code == TRAP_TRACE ? kTrapStep : kTrapBreakpoint;
    }
    return -1;
}

static void mend_trapno(int sig, siginfo_t* info, void* context) {
    ucontext_t* uc = context;
    if (uc && uc->uc_mcontext.gregs[REG_TRAPNO] == -1)
        uc->uc_mcontext.gregs[REG_TRAPNO] = trap_number(sig, info ? info->si_code : 0);
    wine_handlers[sig](sig, info, context);
}

static int is_fault(int sig) {
    return sig == SIGSEGV || sig == SIGBUS || sig == SIGILL || sig == SIGFPE || sig == SIGTRAP;
}

int sigaction(int sig, const struct sigaction* action, struct sigaction* old) {
    static Sigaction real;
    if (!real) real = (Sigaction)dlsym(RTLD_NEXT, "sigaction");
    if (!is_fault(sig) || !action || !(action->sa_flags & SA_SIGINFO))
        return real(sig, action, old);
    struct sigaction wrapped = *action;
    Handler previous = wine_handlers[sig];
    wine_handlers[sig] = action->sa_sigaction;
    wrapped.sa_sigaction = mend_trapno;
    int result = real(sig, &wrapped, old);
    if (old && (old->sa_flags & SA_SIGINFO) && old->sa_sigaction == mend_trapno) old->sa_sigaction = previous;
    return result;
}
