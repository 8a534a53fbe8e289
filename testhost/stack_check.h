// Calls into foreign code with the stack pointer watched. A cdecl entry
// point must leave its arguments on the stack for the caller; a stdcall
// one must remove exactly its own. A callee of the other convention leaves
// the stack off by its argument bytes, which the 32-bit host reports
// instead of carrying on with a corrupt stack. On x86-64 there is only one
// convention and nothing to check: the call is made directly.
#pragma once

#include <stdint.h>

enum : int32_t { STACK_CHECK_MAX_ARGUMENTS = 8 };

enum StackConvention : int32_t {
    STACK_CDECL = 0,    // the caller removes the arguments
    STACK_STDCALL = 1   // the callee removes them
};

// Calls function with count (at most STACK_CHECK_MAX_ARGUMENTS) pointer-
// sized arguments, as the convention passes them; its result in *result
// (may be null). Returns the stack error in bytes: how many more bytes the
// callee removed than its convention lets it (negative: fewer). 0 is right.
int32_t StackCheckedCall(const void* function, StackConvention convention, const uintptr_t* arguments, int32_t count,
                         uintptr_t* result);

// Whether this build checks the stack at all (the 32-bit one).
bool StackIsChecked();
