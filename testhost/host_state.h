// The stand-in host's state: what the five services have been asked to do.
// ollydbg.exe and the Windows test programs link the services from here,
// so the DLLs bind to them by name in a module called ollydbg.exe.
#pragma once

#include <stdint.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

struct HostLogLine {
    int32_t address;
    int32_t highlight;
    std::string text;
};

struct HostBroadcast {
    uint32_t message;
    uint32_t first;
    uint32_t second;
};

struct HostNameRange {
    uint32_t first;
    uint32_t last;
    int32_t type;
};

struct HostState {
    int32_t status = 1;                                         // what _Getstatus returns
    std::map<std::pair<uint32_t, int32_t>, std::string> names;  // (address, type) -> name
    std::vector<HostLogLine> log;
    std::vector<HostBroadcast> broadcasts;
    std::vector<HostNameRange> deletions;
    int statusQueries = 0;
    int insertions = 0;
    std::vector<std::string> stackFaults;  // "ENTRY BYTES": calls that left the stack wrong
};

HostState& Host();

// Back to a fresh host: status 1, nothing named, logged or broadcast.
void HostReset();

// The names of one type, by address.
std::vector<std::pair<uint32_t, std::string>> HostNamesOfType(int32_t type);

// Whoever shows the host's state (its main window) hears of each log line
// and broadcast as it arrives, so that the services need no window.
struct HostListener {
    void* context;
    void (*logged)(void* context, const HostLogLine& line);
    void (*broadcast)(void* context, const HostBroadcast& broadcast);
};

// From now on listener hears the services. It outlives HostReset, and the
// caller keeps it alive until it stops listening or another takes over.
void HostListen(const HostListener* listener);

// Nobody hears the services any more, if listener was the one that did.
void HostStopListening(const HostListener* listener);
