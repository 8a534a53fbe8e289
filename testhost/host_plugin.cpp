#include "host_plugin.h"

#include <string.h>

static int32_t Fail(HostPlugin* plugin, int32_t result) {
    FreeLibrary(plugin->module);
    plugin->module = nullptr;
    return result;
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
    if (data(plugin->name) != HOST_INTERFACE_VERSION) return Fail(plugin, HOST_PLUGIN_WRONG_VERSION);
    plugin->name[HOST_PLUGIN_NAME_CAPACITY - 1] = '\0';
    if (init(HOST_INTERFACE_VERSION, mainWindow, nullptr) != 0) return Fail(plugin, HOST_PLUGIN_REFUSED);
    plugin->hasMenu = menu(HOST_ORIGIN_MAIN_MENU, plugin->menu, nullptr) == 1 ? 1 : 0;
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
