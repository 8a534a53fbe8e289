// The imports that the harness provides: small system hooks for what the
// C runtime start-up and the tested paths call, and the host's services,
// which record their calls.
#pragma once

#include <stdint.h>

#include <string>

struct Machine;

// Runs in the harness with the call's arguments as pushed (args[0] is the
// first); the value returned goes to EAX.
typedef uint32_t (*HookProc)(Machine* m, const uint32_t* args);

struct HookSpec {
    const char* dll;        // compared without regard to case
    const char* name;
    uint16_t argBytes;      // bytes the callee removes: 0 for the C convention
    uint16_t argCount;      // arguments the hook reads
    HookProc proc;          // null for a code or data import
    const uint8_t* code;    // code import: machine code run in the machine
    uint32_t codeSize;
    uint32_t dataSize;      // data import: bound to a zeroed block of this size
};

extern const HookSpec SYSTEM_HOOKS[];
extern const uint32_t SYSTEM_HOOK_COUNT;
extern const HookSpec HOST_HOOKS[];
extern const uint32_t HOST_HOOK_COUNT;

// The hook for dll!name, or null when the harness does not know it.
const HookSpec* FindHook(const std::string& dll, const std::string& name);
