// An emulated 32-bit x86 process (Unicorn) into which 32-bit Windows DLLs
// are loaded as the Windows loader would load them, and whose exports are
// called with their arguments pushed as a 32-bit caller pushes them.
//
// Imports are bound by name when a DLL is loaded: to a hook of the
// system or host table (hooks.h) when there is one, and otherwise to a stub
// that stops the run, naming the import, if it is ever called.
#pragma once

#include "pe_image.h"

#include <unicorn/unicorn.h>

#include <stdint.h>

#include <map>
#include <string>
#include <vector>

struct Machine;
struct HookSpec;

// One call of a host service, in the order the calls came.
struct HostCall {
    std::string service;  // e.g. "_Insertname"
    uint32_t args[3];     // the pushed 32-bit arguments, first to last
    std::string text;     // the text argument, read from the machine
    bool operator==(const HostCall& o) const {
        return service == o.service && args[0] == o.args[0] && args[1] == o.args[1] &&
               args[2] == o.args[2] && text == o.text;
    }
};

struct StubSlot {
    std::string dll;
    std::string name;
    const HookSpec* spec;  // null: an import the harness does not know
};

struct LoadedDll {
    PeImage image;
    uint32_t tlsIndex;
};

struct Machine {
    uc_engine* uc = nullptr;
    uc_hook stubHook;
    uc_hook faultHook;
    uc_hook interruptHook;
    std::vector<StubSlot> stubs;
    uint32_t codeNext;     // next free byte of the area for code stubs
    uint32_t scratchNext;  // next free byte of the caller's data area
    uint32_t heapNext;
    std::map<uint32_t, uint32_t> heapBlocks;  // live blocks: address to size
    uint32_t tlsArray;     // the thread's TLS pointer array
    uint32_t tlsCount;     // static TLS slots given out so far
    uint32_t tlsValues[64];
    bool tlsUsed[64];
    uint32_t lastError;
    std::string stop;      // why the current run stopped early, empty if it did not
    int32_t hostStatus;    // what _Getstatus returns
    std::vector<HostCall> hostCalls;
    bool trace;            // EMU32_TRACE set: every import call is printed
};

// What one call into the machine gave.
struct CallResult {
    bool returned;         // reached the caller's return address
    std::string stop;      // otherwise: why it stopped
    uint32_t eax;
    uint32_t espAtPush;    // ESP after the caller pushed the arguments
    uint32_t espAfter;     // ESP after the return
    bool calleeSavedKept;  // EBX, ESI, EDI and EBP as the caller left them
};

// Bytes that the callee removed from the stack on its return.
inline int32_t CalleeRemoved(const CallResult& r) {
    return static_cast<int32_t>(r.espAfter - r.espAtPush);
}

bool MachineOpen(Machine* m, std::string* error);
void MachineClose(Machine* m);

// Lays out the DLL at base (relocated when base is not its preferred base),
// maps it with its sections' protections, binds its imports and sets up
// its static TLS. Runs none of its code.
bool LoadDll(Machine* m, const std::string& path, uint32_t base, LoadedDll* dll,
             std::string* error);

// Runs the DLL's TLS callbacks and its entry point with the given reason,
// as the loader does. The result is the entry point's.
CallResult NotifyDll(Machine* m, const LoadedDll& dll, uint32_t reason);

// Calls the code at address with the arguments pushed last to first and a
// return address the harness recognises.
CallResult CallAt(Machine* m, uint32_t address, const std::vector<uint32_t>& args);

// Address that an import of dll!name is bound to.
uint32_t BindImport(Machine* m, const std::string& dll, const std::string& name);

// Machine code placed in the harness's own executable area; 0 when full.
uint32_t PutCode(Machine* m, const uint8_t* code, uint32_t count);

// Ends the current run; the caller's result says why.
void StopRun(Machine* m, const std::string& why);

// Data that the test, as the caller, lends to the code; lives until
// MachineClose.
uint32_t PutBytes(Machine* m, const void* bytes, uint32_t count);
uint32_t PutText(Machine* m, const std::string& text);

bool ReadBytes(Machine* m, uint32_t address, void* bytes, uint32_t count);
bool WriteBytes(Machine* m, uint32_t address, const void* bytes, uint32_t count);
uint32_t ReadWord(Machine* m, uint32_t address);
std::vector<uint8_t> ReadBlock(Machine* m, uint32_t address, uint32_t count);
// The NUL-terminated text at address (at most limit bytes); false when it
// runs into unmapped memory or past the limit.
bool ReadText(Machine* m, uint32_t address, std::string* text, uint32_t limit = 65536);

// The emulated process heap. HeapRelease is false for an address that is
// not a live block.
uint32_t HeapAllocate(Machine* m, uint32_t size);
bool HeapRelease(Machine* m, uint32_t address);
