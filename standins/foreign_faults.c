#include "standins/foreign_faults.h"

#include <windows.h>

#define FAULT_APPLICATION_CODE 0xE0000001UL
#define FAULT_CXX_CODE 0xE06D7363UL
#define CXX_MAGIC 0x19930520UL

static const char* g_key;

static DWORD ReadCount(HKEY key, const char* name) {
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegQueryValueExA(key, name, NULL, &type, (BYTE*)&value, &size) != ERROR_SUCCESS || type != REG_DWORD) {
        return 0;
    }
    return value;
}

static void Count(const char* name) {
    HKEY key = NULL;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, g_key, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS) {
        return;
    }
    DWORD count = ReadCount(key, name) + 1;
    RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE*)&count, sizeof count);
    RegCloseKey(key);
}

// The handler of the library's own frame: it handles nothing, it only
// counts. The same signature serves as an fs:0 registration's handler on
// i686 and as a function's language handler on x86_64.
EXCEPTION_DISPOSITION __cdecl foreign_frame_handler(EXCEPTION_RECORD* record, void* frame, CONTEXT* context,
                                                    void* dispatch) {
    (void)frame;
    (void)context;
    (void)dispatch;
    Count(record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND) ? "Unwound" : "Searched");
    return ExceptionContinueSearch;
}

static DWORD g_kind;

static void Fault(void) {
    if (g_kind == 1) {
        volatile int* volatile nowhere = NULL;
        *nowhere = 1;
    } else if (g_kind == 2) {
        RaiseException(FAULT_APPLICATION_CODE, EXCEPTION_NONCONTINUABLE, 0, NULL);
    } else {
        // What _CxxThrowException passes: the magic number, the object, its
        // type description and, on 64-bit Windows, the image base.
        static int thrown = 42;
        ULONG_PTR parameters[4] = {CXX_MAGIC, (ULONG_PTR)&thrown, 0, (ULONG_PTR)GetModuleHandleA(NULL)};
        RaiseException(FAULT_CXX_CODE, EXCEPTION_NONCONTINUABLE, sizeof(void*) == 8 ? 4 : 3, parameters);
    }
}

typedef void (*FaultFn)(void);

#if defined(__i386__)
// A registration of the library's own at fs:0 around the call.
void __cdecl foreign_guarded_call(FaultFn fault);
__asm__(
    "    .text\n"
    "    .globl _foreign_guarded_call\n"
    "_foreign_guarded_call:\n"
    "    pushl %ebp\n"
    "    movl %esp, %ebp\n"
    "    pushl $_foreign_frame_handler\n"
    "    pushl %fs:0\n"
    "    movl %esp, %fs:0\n"
    "    call *8(%ebp)\n"
    "    movl (%esp), %ecx\n"
    "    movl %ecx, %fs:0\n"
    "    movl %ebp, %esp\n"
    "    popl %ebp\n"
    "    ret\n");
#elif defined(__x86_64__)
// The handler named in this function's unwind information, called for
// exceptions passing through it and to unwind it.
__attribute__((noinline)) static void foreign_guarded_call(FaultFn fault) {
    __asm__ __volatile__(".seh_handler foreign_frame_handler, @unwind, @except");
    fault();
    // No tail call: the frame must be there when the fault happens.
    __asm__ __volatile__("nop");
}
#endif

void ForeignFault(const char* key, unsigned long fallback) {
    HKEY root = NULL;
    DWORD kind = fallback;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &root) == ERROR_SUCCESS) {
        DWORD value = 0, size = sizeof value, type = 0;
        if (RegQueryValueExA(root, "Fault", NULL, &type, (BYTE*)&value, &size) == ERROR_SUCCESS && type == REG_DWORD) {
            kind = value;
        }
        RegCloseKey(root);
    }
    if (kind < 1 || kind > 3) return;
    g_key = key;
    g_kind = kind;
    foreign_guarded_call(Fault);
}
