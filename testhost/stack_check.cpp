#include "stack_check.h"

#if defined(__i386__)

// cdecl: (function, arguments, count, removed). Pushes the arguments right
// to left, calls, and stores in *removed the bytes the callee took off the
// stack; the stack pointer is then restored from a callee-saved register
// whatever the callee did.
extern "C" uint32_t StackCallRaw(const void* function, const uint32_t* arguments, int32_t count, int32_t* removed);
asm(R"(
    .text
    .globl _StackCallRaw
_StackCallRaw:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 12(%ebp), %esi
    movl 16(%ebp), %ecx
    movl %esp, %edi
1:  testl %ecx, %ecx
    jz 2f
    decl %ecx
    pushl (%esi,%ecx,4)
    jmp 1b
2:  call *8(%ebp)
    movl %esp, %ecx
    subl %edi, %ecx
    movl 16(%ebp), %edx
    leal (%ecx,%edx,4), %ecx
    movl 20(%ebp), %edx
    movl %ecx, (%edx)
    movl %edi, %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
)");

int32_t StackCheckedCall(const void* function, StackConvention convention, const uintptr_t* arguments, int32_t count,
                         uintptr_t* result) {
    uint32_t words[STACK_CHECK_MAX_ARGUMENTS] = {};
    if (count < 0 || count > STACK_CHECK_MAX_ARGUMENTS) count = 0;
    for (int32_t i = 0; i < count; ++i) words[i] = static_cast<uint32_t>(arguments[i]);
    int32_t removed = 0;
    const uint32_t value = StackCallRaw(function, words, count, &removed);
    if (result != nullptr) *result = value;
    const int32_t allowed = convention == STACK_STDCALL ? 4 * count : 0;
    return removed - allowed;
}

bool StackIsChecked() { return true; }

#else

typedef uintptr_t (*Call4)(uintptr_t, uintptr_t, uintptr_t, uintptr_t);

// The first four arguments travel in registers here, and a function of
// fewer parameters ignores the extra ones.
int32_t StackCheckedCall(const void* function, StackConvention, const uintptr_t* arguments, int32_t count,
                         uintptr_t* result) {
    uintptr_t a[4] = {};
    for (int32_t i = 0; i < count && i < 4; ++i) a[i] = arguments[i];
    const uintptr_t value = reinterpret_cast<Call4>(const_cast<void*>(function))(a[0], a[1], a[2], a[3]);
    if (result != nullptr) *result = value;
    return 0;
}

bool StackIsChecked() { return false; }

#endif
