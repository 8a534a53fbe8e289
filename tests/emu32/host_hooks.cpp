// The five host services, as the debugger exports them from ollydbg.exe
// (the C convention: the caller removes the arguments). Each records its
// call; only _Getstatus gives a result that callers look at.
#include "hooks.h"
#include "machine.h"

namespace {

void Record(Machine* m, const char* service, const uint32_t* a, int32_t textArgument) {
    HostCall call = {service, {a[0], a[1], a[2]}, ""};
    if (textArgument >= 0 && !ReadText(m, a[textArgument], &call.text))
        StopRun(m, std::string(service) + ": the text argument is not a readable text");
    m->hostCalls.push_back(call);
}

uint32_t Addtolist(Machine* m, const uint32_t* a) {
    Record(m, "_Addtolist", a, 2);
    return 0;
}

uint32_t Getstatus(Machine* m, const uint32_t*) {
    const uint32_t none[3] = {0, 0, 0};
    Record(m, "_Getstatus", none, -1);
    return static_cast<uint32_t>(m->hostStatus);
}

uint32_t Deletenamerange(Machine* m, const uint32_t* a) {
    Record(m, "_Deletenamerange", a, -1);
    return 0;
}

uint32_t Insertname(Machine* m, const uint32_t* a) {
    Record(m, "_Insertname", a, 2);
    return 0;
}

uint32_t Broadcast(Machine* m, const uint32_t* a) {
    Record(m, "_Broadcast", a, -1);
    return 0;
}

constexpr HookSpec Service(const char* name, uint16_t argCount, HookProc proc) {
    return {"ollydbg.exe", name, 0, argCount, proc, nullptr, 0, 0};
}

}  // namespace

const HookSpec HOST_HOOKS[] = {
    Service("_Addtolist", 3, Addtolist),
    Service("_Getstatus", 0, Getstatus),
    Service("_Deletenamerange", 3, Deletenamerange),
    Service("_Insertname", 3, Insertname),
    Service("_Broadcast", 3, Broadcast),
};

const uint32_t HOST_HOOK_COUNT = sizeof HOST_HOOKS / sizeof HOST_HOOKS[0];
