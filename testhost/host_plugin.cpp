#include "host_plugin.h"

#include "host_state.h"
#include "stack_check.h"

#include <stdio.h>
#include <initializer_list>
#include <string.h>

static int32_t Fail(HostPlugin* plugin, int32_t result) {
    FreeLibrary(plugin->module);
    plugin->module = nullptr;
    return result;
}

// Calls a cdecl entry point of the plug-in, noting a stack left wrong.
static uintptr_t CallEntry(const char* name, const void* entry, std::initializer_list<uintptr_t> arguments) {
    uintptr_t result = 0;
    const int32_t error = StackCheckedCall(entry, STACK_CDECL, arguments.begin(), static_cast<int32_t>(arguments.size()),
                                           &result);
    if (error != 0) {
        char fault[96];
        snprintf(fault, sizeof fault, "%s %d", name, error);
        Host().stackFaults.push_back(fault);
        fprintf(stderr, "ollydbg.exe: %s left the stack %d bytes off\n", name, error);
    }
    return result;
}

static uintptr_t Pointer(const void* pointer) { return reinterpret_cast<uintptr_t>(pointer); }

void CallPluginAction(PluginActionEntry action, int32_t origin, int32_t code, void* item) {
    CallEntry("_ODBG_Pluginaction", reinterpret_cast<const void*>(action),
              {static_cast<uintptr_t>(origin), static_cast<uintptr_t>(code), Pointer(item)});
}

int32_t LoadHostPlugin(const char* path, HWND mainWindow, HostPlugin* plugin) {
    memset(plugin, 0, sizeof *plugin);
    plugin->module = LoadLibraryA(path);
    if (plugin->module == nullptr) {
        plugin->loadError = GetLastError();
        return HOST_PLUGIN_NOT_LOADED;
    }
    auto data = FindEntry<PluginDataEntry>(plugin->module, "_ODBG_Plugindata");
    auto init = FindEntry<PluginInitEntry>(plugin->module, "_ODBG_Plugininit");
    auto menu = FindEntry<PluginMenuEntry>(plugin->module, "_ODBG_Pluginmenu");
    plugin->action = FindEntry<PluginActionEntry>(plugin->module, "_ODBG_Pluginaction");
    if (data == nullptr || init == nullptr || menu == nullptr || plugin->action == nullptr) {
        return Fail(plugin, HOST_PLUGIN_NO_ENTRY_POINTS);
    }
    // A plug-in gets the host's own buffers and must stay inside them.
    const auto version = static_cast<int32_t>(CallEntry("_ODBG_Plugindata", reinterpret_cast<const void*>(data),
                                                         {Pointer(plugin->name)}));
    if (version != HOST_INTERFACE_VERSION) return Fail(plugin, HOST_PLUGIN_WRONG_VERSION);
    plugin->name[HOST_PLUGIN_NAME_CAPACITY - 1] = '\0';
    const auto started = static_cast<int32_t>(CallEntry(
        "_ODBG_Plugininit", reinterpret_cast<const void*>(init), {HOST_INTERFACE_VERSION, Pointer(mainWindow), 0}));
    if (started != 0) return Fail(plugin, HOST_PLUGIN_REFUSED);
    const auto hasMenu = static_cast<int32_t>(CallEntry("_ODBG_Pluginmenu", reinterpret_cast<const void*>(menu),
                                                         {HOST_ORIGIN_MAIN_MENU, Pointer(plugin->menu), 0}));
    plugin->hasMenu = hasMenu == 1 ? 1 : 0;
    plugin->menu[HOST_MENU_TEXT_CAPACITY - 1] = '\0';
    return HOST_PLUGIN_LOADED;
}

const char* HostPluginProblem(int32_t result) {
    switch (result) {
    case HOST_PLUGIN_LOADED:
        return "loaded";
    case HOST_PLUGIN_NOT_LOADED:
        return "the DLL did not load";
    case HOST_PLUGIN_NO_ENTRY_POINTS:
        return "the DLL lacks a plug-in entry point";
    case HOST_PLUGIN_WRONG_VERSION:
        return "the plug-in is for another interface version";
    case HOST_PLUGIN_REFUSED:
        return "the plug-in refused to start";
    default:
        return "unknown result";
    }
}
