// Just enough of KERNEL32 and msvcrt for the C runtime's start-up and shut-
// down in a DLL and for the string routines that the tested code calls.
// The process has one thread, so the locks have nothing to do.
#include "hooks.h"
#include "machine.h"

#include <vector>

namespace {

enum : uint32_t {
    PROCESS_HEAP = 0x00A00000,
    HOST_MODULE = 0x00400000,
    ERROR_INVALID_PARAMETER = 87,
    ERROR_MOD_NOT_FOUND = 126,
    ERROR_PROC_NOT_FOUND = 127,
    HEAP_ZERO_MEMORY = 8,
    TLS_OUT_OF_INDEXES = 0xFFFFFFFF
};

const uint32_t TLS_COUNT = sizeof(Machine::tlsUsed) / sizeof(bool);

// Larger blocks than the emulated heap holds are a fault of the caller.
const uint32_t LARGEST_BLOCK = 16u << 20;

void Fill(Machine* m, uint32_t at, uint8_t byte, uint32_t count) {
    std::vector<uint8_t> bytes(count, byte);
    WriteBytes(m, at, bytes.data(), count);
}

// A failing pointer argument would crash the real routine: stop the run.
bool ReadOrStop(Machine* m, const char* who, uint32_t at, void* bytes, uint32_t count) {
    if (ReadBytes(m, at, bytes, count)) return true;
    StopRun(m, std::string(who) + ": bad source pointer");
    return false;
}

uint32_t Allocate(Machine* m, uint32_t size, bool zero) {
    const uint32_t at = HeapAllocate(m, size);
    // Fresh memory is filled, so that code reading it before writing it
    // sees garbage rather than helpful zeros.
    if (at != 0) Fill(m, at, zero ? 0 : 0xCD, size);
    return at;
}

uint32_t Release(Machine* m, const char* who, uint32_t at) {
    if (at == 0 || HeapRelease(m, at)) return 1;
    StopRun(m, std::string(who) + " of a pointer that is not a live block");
    return 0;
}

uint32_t Nothing(Machine*, const uint32_t*) { return 0; }
uint32_t True(Machine*, const uint32_t*) { return 1; }

uint32_t InitializeCriticalSection(Machine* m, const uint32_t* a) {
    Fill(m, a[0], 0, 24);
    return 0;
}

uint32_t GetLastError(Machine* m, const uint32_t*) { return m->lastError; }

uint32_t SetLastError(Machine* m, const uint32_t* a) {
    m->lastError = a[0];
    return 0;
}

// No other module is loaded: only the host's own handle is known.
uint32_t GetModuleHandleA(Machine* m, const uint32_t* a) {
    if (a[0] == 0) return HOST_MODULE;
    m->lastError = ERROR_MOD_NOT_FOUND;
    return 0;
}

uint32_t LoadLibraryA(Machine* m, const uint32_t*) {
    m->lastError = ERROR_MOD_NOT_FOUND;
    return 0;
}

uint32_t GetProcAddress(Machine* m, const uint32_t*) {
    m->lastError = ERROR_PROC_NOT_FOUND;
    return 0;
}

uint32_t TlsAlloc(Machine* m, const uint32_t*) {
    for (uint32_t i = 0; i < TLS_COUNT; ++i) {
        if (!m->tlsUsed[i]) {
            m->tlsUsed[i] = true;
            m->tlsValues[i] = 0;
            return i;
        }
    }
    return TLS_OUT_OF_INDEXES;
}

uint32_t TlsGetValue(Machine* m, const uint32_t* a) {
    if (a[0] >= TLS_COUNT || !m->tlsUsed[a[0]]) {
        m->lastError = ERROR_INVALID_PARAMETER;
        return 0;
    }
    m->lastError = 0;
    return m->tlsValues[a[0]];
}

uint32_t TlsSetValue(Machine* m, const uint32_t* a) {
    if (a[0] >= TLS_COUNT || !m->tlsUsed[a[0]]) return 0;
    m->tlsValues[a[0]] = a[1];
    return 1;
}

uint32_t TlsFree(Machine* m, const uint32_t* a) {
    if (a[0] >= TLS_COUNT || !m->tlsUsed[a[0]]) return 0;
    m->tlsUsed[a[0]] = false;
    return 1;
}

uint32_t GetProcessHeap(Machine*, const uint32_t*) { return PROCESS_HEAP; }

uint32_t HeapAlloc(Machine* m, const uint32_t* a) {
    return Allocate(m, a[2], (a[1] & HEAP_ZERO_MEMORY) != 0);
}

uint32_t HeapFree(Machine* m, const uint32_t* a) { return Release(m, "HeapFree", a[2]); }

uint32_t Malloc(Machine* m, const uint32_t* a) { return Allocate(m, a[0], false); }

uint32_t Calloc(Machine* m, const uint32_t* a) {
    const uint64_t size = static_cast<uint64_t>(a[0]) * a[1];
    if (size > 0xFFFFFFFFu) return 0;
    return Allocate(m, static_cast<uint32_t>(size), true);
}

uint32_t Free(Machine* m, const uint32_t* a) {
    Release(m, "free", a[0]);
    return 0;
}

uint32_t Realloc(Machine* m, const uint32_t* a) {
    if (a[0] == 0) return Allocate(m, a[1], false);
    auto it = m->heapBlocks.find(a[0]);
    if (it == m->heapBlocks.end()) {
        StopRun(m, "realloc of a pointer that is not a live block");
        return 0;
    }
    const uint32_t keep = it->second < a[1] ? it->second : a[1];
    const uint32_t moved = Allocate(m, a[1], false);
    if (moved == 0) return 0;
    std::vector<uint8_t> bytes(keep, 0);
    ReadBytes(m, a[0], bytes.data(), keep);
    WriteBytes(m, moved, bytes.data(), keep);
    HeapRelease(m, a[0]);
    return moved;
}

uint32_t Strlen(Machine* m, const uint32_t* a) {
    std::string text;
    if (!ReadText(m, a[0], &text, 0x7FFFFFFF)) StopRun(m, "strlen: bad pointer");
    return static_cast<uint32_t>(text.size());
}

int32_t CompareTexts(Machine* m, uint32_t left, uint32_t right, uint32_t limit) {
    for (uint32_t i = 0; i < limit; ++i) {
        unsigned char x = 0;
        unsigned char y = 0;
        if (!ReadOrStop(m, "string compare", left + i, &x, 1) ||
            !ReadOrStop(m, "string compare", right + i, &y, 1))
            return 0;
        if (x != y) return x < y ? -1 : 1;
        if (x == 0) return 0;
    }
    return 0;
}

uint32_t Strcmp(Machine* m, const uint32_t* a) {
    return static_cast<uint32_t>(CompareTexts(m, a[0], a[1], 0xFFFFFFFF));
}

uint32_t Strncmp(Machine* m, const uint32_t* a) {
    return static_cast<uint32_t>(CompareTexts(m, a[0], a[1], a[2]));
}

// Reads the whole source before writing, so overlapping ranges move as
// memmove moves them.
uint32_t Memmove(Machine* m, const uint32_t* a) {
    if (a[2] > LARGEST_BLOCK) {
        StopRun(m, "memmove: " + std::to_string(a[2]) + " bytes");
        return a[0];
    }
    std::vector<uint8_t> bytes(a[2], 0);
    if (!ReadOrStop(m, "memmove", a[1], bytes.data(), a[2])) return a[0];
    if (!WriteBytes(m, a[0], bytes.data(), a[2])) StopRun(m, "memmove: bad destination pointer");
    return a[0];
}

uint32_t Memset(Machine* m, const uint32_t* a) {
    if (a[2] > LARGEST_BLOCK) {
        StopRun(m, "memset: " + std::to_string(a[2]) + " bytes");
        return a[0];
    }
    std::vector<uint8_t> bytes(a[2], static_cast<uint8_t>(a[1]));
    if (!WriteBytes(m, a[0], bytes.data(), a[2])) StopRun(m, "memset: bad destination pointer");
    return a[0];
}

// _initterm calls back into the DLL, so it runs as machine code:
// for (p = begin; p < end; ++p) if (*p) (*p)();
const uint8_t INITTERM_CODE[] = {
    0x56,                    // push esi
    0x57,                    // push edi
    0x8B, 0x74, 0x24, 0x0C,  // mov esi, [esp+12]
    0x8B, 0x7C, 0x24, 0x10,  // mov edi, [esp+16]
    0x39, 0xFE,              // next: cmp esi, edi
    0x73, 0x0D,              // jae done
    0x8B, 0x06,              // mov eax, [esi]
    0x85, 0xC0,              // test eax, eax
    0x74, 0x02,              // jz skip
    0xFF, 0xD0,              // call eax
    0x83, 0xC6, 0x04,        // skip: add esi, 4
    0xEB, 0xEF,              // jmp next
    0x5F,                    // done: pop edi
    0x5E,                    // pop esi
    0xC3                     // ret
};

constexpr HookSpec Api(const char* name, uint16_t argCount, HookProc proc) {
    return {"KERNEL32.dll", name, static_cast<uint16_t>(4 * argCount), argCount, proc, nullptr, 0, 0};
}

constexpr HookSpec Crt(const char* name, uint16_t argCount, HookProc proc) {
    return {"msvcrt.dll", name, 0, argCount, proc, nullptr, 0, 0};
}

}  // namespace

const HookSpec SYSTEM_HOOKS[] = {
    Api("InitializeCriticalSection", 1, InitializeCriticalSection),
    Api("EnterCriticalSection", 1, Nothing),
    Api("LeaveCriticalSection", 1, Nothing),
    Api("DeleteCriticalSection", 1, Nothing),
    Api("GetLastError", 0, GetLastError),
    Api("SetLastError", 1, SetLastError),
    Api("GetModuleHandleA", 1, GetModuleHandleA),
    Api("LoadLibraryA", 1, LoadLibraryA),
    Api("GetProcAddress", 2, GetProcAddress),
    Api("FreeLibrary", 1, True),
    Api("Sleep", 1, Nothing),
    Api("TlsAlloc", 0, TlsAlloc),
    Api("TlsGetValue", 1, TlsGetValue),
    Api("TlsSetValue", 2, TlsSetValue),
    Api("TlsFree", 1, TlsFree),
    Api("GetProcessHeap", 0, GetProcessHeap),
    Api("HeapAlloc", 3, HeapAlloc),
    Api("HeapFree", 3, HeapFree),
    Crt("malloc", 1, Malloc),
    Crt("calloc", 2, Calloc),
    Crt("realloc", 2, Realloc),
    Crt("free", 1, Free),
    Crt("_lock", 1, Nothing),
    Crt("_unlock", 1, Nothing),
    Crt("strlen", 1, Strlen),
    Crt("strcmp", 2, Strcmp),
    Crt("strncmp", 3, Strncmp),
    Crt("memmove", 3, Memmove),
    Crt("memcpy", 3, Memmove),
    Crt("memset", 3, Memset),
    {"msvcrt.dll", "_initterm", 0, 0, nullptr, INITTERM_CODE, sizeof INITTERM_CODE, 0},
    // Three FILE records of msvcrt's stdin, stdout and stderr.
    {"msvcrt.dll", "_iob", 0, 0, nullptr, nullptr, 0, 3 * 32},
};

const uint32_t SYSTEM_HOOK_COUNT = sizeof SYSTEM_HOOKS / sizeof SYSTEM_HOOKS[0];
