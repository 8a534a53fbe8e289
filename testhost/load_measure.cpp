#include "load_measure.h"

#include "host/host_services.h"

#include <psapi.h>
#include <string.h>

#include <algorithm>
#include <vector>

namespace {

enum : UINT { WM_HOST_PROBE = WM_APP + 0x300 };

struct Measure {
    LARGE_INTEGER frequency;
    std::vector<double> chunkUs;      // from a tick's KillTimer to its SetTimer
    std::vector<double> tickGapUs;    // between successive ticks
    LONGLONG tickStart;               // 0 while no chunk is being handled
    LONGLONG lastTick;
    long ticks;
    long allocations;
    long long allocatedBytes;
    std::vector<LONGLONG> probePosted;  // sized up front: two threads use it
    volatile LONG probeCount;
    std::vector<double> probeDelayUs;
    std::vector<LONGLONG> probeTakenAt;
    LONGLONG firstTick;
    LONGLONG clearedAt;               // the old labels removed: the load starts
    LONGLONG redrawnAt;               // the redraw asked for: the load is over
    LONGLONG refreshedAt;             // the host's windows show the new labels
    HWND window;
    DWORD probeMs;
    volatile LONG stop;
    HANDLE thread;
    HHOOK hook;
};

Measure measure;

LONGLONG Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double Microseconds(LONGLONG ticks) { return ticks * 1e6 / static_cast<double>(measure.frequency.QuadPart); }

BOOL WINAPI CountedKillTimer(HWND window, UINT_PTR id) {
    const LONGLONG now = Now();
    if (measure.firstTick == 0) measure.firstTick = now;
    if (measure.lastTick != 0) measure.tickGapUs.push_back(Microseconds(now - measure.lastTick));
    measure.lastTick = now;
    measure.tickStart = now;
    ++measure.ticks;
    return KillTimer(window, id);
}

UINT_PTR WINAPI CountedSetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    if (measure.tickStart != 0) measure.chunkUs.push_back(Microseconds(Now() - measure.tickStart));
    measure.tickStart = 0;
    return SetTimer(window, id, elapse, proc);
}

void CountAllocation(size_t bytes) {
    ++measure.allocations;
    measure.allocatedBytes += static_cast<long long>(bytes);
}

LPVOID WINAPI CountedHeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
    CountAllocation(bytes);
    return HeapAlloc(heap, flags, bytes);
}

LPVOID WINAPI CountedHeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T bytes) {
    CountAllocation(bytes);
    return HeapReAlloc(heap, flags, block, bytes);
}

HLOCAL WINAPI CountedLocalAlloc(UINT flags, SIZE_T bytes) {
    CountAllocation(bytes);
    return LocalAlloc(flags, bytes);
}

HGLOBAL WINAPI CountedGlobalAlloc(UINT flags, SIZE_T bytes) {
    CountAllocation(bytes);
    return GlobalAlloc(flags, bytes);
}

void* CountedMalloc(size_t bytes) {
    CountAllocation(bytes);
    return malloc(bytes);
}

void* CountedCalloc(size_t count, size_t bytes) {
    CountAllocation(count * bytes);
    return calloc(count, bytes);
}

void* CountedRealloc(void* block, size_t bytes) {
    CountAllocation(bytes);
    return realloc(block, bytes);
}

void TimedDeletenamerange(uint32_t first, uint32_t last, int32_t type) {
    measure.clearedAt = Now();
    _Deletenamerange(first, last, type);
}

void TimedBroadcast(uint32_t message, uint32_t first, uint32_t second) {
    measure.redrawnAt = Now();
    _Broadcast(message, first, second);
    measure.refreshedAt = Now();
}

struct ImportHook {
    const char* module;
    const char* name;
    void* replacement;
};

const ImportHook HOOKS[] = {
    {"user32.dll", "KillTimer", reinterpret_cast<void*>(CountedKillTimer)},
    {"user32.dll", "SetTimer", reinterpret_cast<void*>(CountedSetTimer)},
    {"kernel32.dll", "HeapAlloc", reinterpret_cast<void*>(CountedHeapAlloc)},
    {"kernel32.dll", "HeapReAlloc", reinterpret_cast<void*>(CountedHeapReAlloc)},
    {"kernel32.dll", "LocalAlloc", reinterpret_cast<void*>(CountedLocalAlloc)},
    {"kernel32.dll", "GlobalAlloc", reinterpret_cast<void*>(CountedGlobalAlloc)},
    {"msvcrt.dll", "malloc", reinterpret_cast<void*>(CountedMalloc)},
    {"msvcrt.dll", "calloc", reinterpret_cast<void*>(CountedCalloc)},
    {"msvcrt.dll", "realloc", reinterpret_cast<void*>(CountedRealloc)},
    {"ollydbg.exe", "_Deletenamerange", reinterpret_cast<void*>(TimedDeletenamerange)},
    {"ollydbg.exe", "_Broadcast", reinterpret_cast<void*>(TimedBroadcast)},
};

const ImportHook* FindHook(const char* module, const char* name) {
    for (const ImportHook& hook : HOOKS) {
        if (lstrcmpiA(hook.module, module) == 0 && strcmp(hook.name, name) == 0) return &hook;
    }
    return nullptr;
}

void WriteSlot(void** slot, void* value) {
    DWORD old = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
    *slot = value;
    VirtualProtect(slot, sizeof *slot, old, &old);
}

// Points the plug-in's import slots of the hooked functions at ours.
void HookImports(HMODULE plugin) {
    BYTE* base = reinterpret_cast<BYTE*>(plugin);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
    for (; import->Name != 0; ++import) {
        const char* module = reinterpret_cast<const char*>(base + import->Name);
        auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            const ImportHook* hook = FindHook(module, reinterpret_cast<const char*>(byName->Name));
            if (hook != nullptr) WriteSlot(reinterpret_cast<void**>(&slots->u1.Function), hook->replacement);
        }
    }
}

// Sees each probe when the host's thread takes it from its queue.
LRESULT CALLBACK ProbeTaken(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && message->message == WM_HOST_PROBE &&
        message->wParam < static_cast<WPARAM>(measure.probeCount)) {
        const LONGLONG now = Now();
        measure.probeDelayUs.push_back(Microseconds(now - measure.probePosted[message->wParam]));
        measure.probeTakenAt.push_back(now);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

DWORD WINAPI ProbeThread(void*) {
    while (measure.stop == 0 && static_cast<size_t>(measure.probeCount) < measure.probePosted.size()) {
        const LONG sequence = measure.probeCount;
        measure.probePosted[sequence] = Now();
        InterlockedIncrement(&measure.probeCount);
        PostMessageA(measure.window, WM_HOST_PROBE, static_cast<WPARAM>(sequence), 0);
        Sleep(measure.probeMs);
    }
    return 0;
}

// The probe delays of messages taken while the plug-in's timer was ticking.
std::vector<double> DelaysDuringLoad() {
    std::vector<double> during;
    for (size_t i = 0; i < measure.probeDelayUs.size(); ++i) {
        if (measure.probeTakenAt[i] >= measure.firstTick && measure.probeTakenAt[i] <= measure.lastTick) {
            during.push_back(measure.probeDelayUs[i]);
        }
    }
    return during;
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t index = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

}  // namespace

void StartLoadMeasure(HMODULE plugin, HWND window, DWORD probeMs) {
    QueryPerformanceFrequency(&measure.frequency);
    measure.chunkUs.reserve(1 << 20);
    measure.tickGapUs.reserve(1 << 20);
    measure.probeDelayUs.reserve(1 << 20);
    measure.probeTakenAt.reserve(1 << 20);
    measure.probePosted.assign(1 << 20, 0);
    measure.window = window;
    measure.probeMs = probeMs;
    HookImports(plugin);
    measure.hook = SetWindowsHookExA(WH_GETMESSAGE, ProbeTaken, nullptr, GetCurrentThreadId());
    if (probeMs > 0) measure.thread = CreateThread(nullptr, 0, ProbeThread, nullptr, 0, nullptr);
}

void StopLoadMeasure() {
    InterlockedExchange(&measure.stop, 1);
    if (measure.thread != nullptr) {
        WaitForSingleObject(measure.thread, INFINITE);
        CloseHandle(measure.thread);
        measure.thread = nullptr;
    }
    if (measure.hook != nullptr) UnhookWindowsHookEx(measure.hook);
    measure.hook = nullptr;
}

void WriteLoadMeasure(FILE* file) {
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    fprintf(file, "load-ms: %.0f\n", Microseconds(measure.redrawnAt - measure.clearedAt) / 1000);
    fprintf(file, "refresh-ms: %.1f\n", Microseconds(measure.refreshedAt - measure.redrawnAt) / 1000);
    fprintf(file, "ticks-ms: %.0f\n", Microseconds(measure.lastTick - measure.firstTick) / 1000);
    fprintf(file, "ticks: %ld\n", measure.ticks);
    fprintf(file, "tick-gap-us-median: %.0f\n", Percentile(measure.tickGapUs, 0.5));
    fprintf(file, "chunk-us-median: %.1f\n", Percentile(measure.chunkUs, 0.5));
    fprintf(file, "chunk-us-p99: %.1f\n", Percentile(measure.chunkUs, 0.99));
    const std::vector<double> delays = DelaysDuringLoad();
    fprintf(file, "probes: %zu\n", delays.size());
    fprintf(file, "probe-delay-us-median: %.0f\n", Percentile(delays, 0.5));
    fprintf(file, "probe-delay-us-max: %.0f\n", Percentile(delays, 1.0));
    fprintf(file, "plugin-allocations: %ld\n", measure.allocations);
    fprintf(file, "plugin-allocated-bytes: %lld\n", measure.allocatedBytes);
    fprintf(file, "peak-working-set-kb: %zu\n", static_cast<size_t>(memory.PeakWorkingSetSize / 1024));
}
