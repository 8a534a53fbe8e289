#define HOST_EXPORTS
#include "host_state.h"

#include "host/host_services.h"

HostState& Host() {
    static HostState state;
    return state;
}

void HostReset() { Host() = HostState(); }

static const HostListener* listener = nullptr;

void HostListen(const HostListener* newListener) { listener = newListener; }

void HostStopListening(const HostListener* oldListener) {
    if (listener == oldListener) listener = nullptr;
}

std::vector<std::pair<uint32_t, std::string>> HostNamesOfType(int32_t type) {
    std::vector<std::pair<uint32_t, std::string>> result;
    for (const auto& entry : Host().names) {
        if (entry.first.second == type) result.push_back({entry.first.first, entry.second});
    }
    return result;
}

extern "C" {

void HOST_CALL _Addtolist(int32_t address, int32_t highlight, const char* text) {
    Host().log.push_back({address, highlight, text != nullptr ? text : ""});
    if (listener != nullptr) listener->logged(listener->context, Host().log.back());
}

int32_t HOST_CALL _Getstatus(void) {
    ++Host().statusQueries;
    return Host().status;
}

void HOST_CALL _Deletenamerange(uint32_t first, uint32_t last, int32_t type) {
    Host().deletions.push_back({first, last, type});
    auto& names = Host().names;
    for (auto it = names.begin(); it != names.end();) {
        const bool inRange = it->first.first >= first && it->first.first <= last;
        it = (inRange && it->first.second == type) ? names.erase(it) : std::next(it);
    }
}

int32_t HOST_CALL _Insertname(uint32_t address, int32_t type, const char* name) {
    ++Host().insertions;
    Host().names[{address, type}] = name != nullptr ? name : "";
    return 0;
}

void HOST_CALL _Broadcast(uint32_t message, uint32_t first, uint32_t second) {
    Host().broadcasts.push_back({message, first, second});
    if (listener != nullptr) listener->broadcast(listener->context, Host().broadcasts.back());
}

}  // extern "C"
