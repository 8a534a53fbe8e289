#include "hooks.h"

#include <strings.h>

static const HookSpec* FindIn(const HookSpec* table, uint32_t count, const std::string& dll,
                              const std::string& name) {
    for (uint32_t i = 0; i < count; ++i) {
        if (strcasecmp(table[i].dll, dll.c_str()) == 0 && name == table[i].name) return &table[i];
    }
    return nullptr;
}

const HookSpec* FindHook(const std::string& dll, const std::string& name) {
    const HookSpec* spec = FindIn(SYSTEM_HOOKS, SYSTEM_HOOK_COUNT, dll, name);
    return spec != nullptr ? spec : FindIn(HOST_HOOKS, HOST_HOOK_COUNT, dll, name);
}
