// Loading a plug-in the way the debugger does: its name and version, its
// start-up call, then its menu text.
#pragma once

#include <windows.h>

#include <stdint.h>

enum : int32_t {
    HOST_INTERFACE_VERSION = 110,
    HOST_PLUGIN_NAME_CAPACITY = 32,
    HOST_MENU_TEXT_CAPACITY = 4096,
    HOST_ORIGIN_MAIN_MENU = 0
};

// Results of LoadHostPlugin.
enum : int32_t {
    HOST_PLUGIN_LOADED = 0,
    HOST_PLUGIN_NOT_LOADED = 1,       // LoadLibraryA failed; loadError says why
    HOST_PLUGIN_NO_ENTRY_POINTS = 2,  // a required export is missing
    HOST_PLUGIN_WRONG_VERSION = 3,    // _ODBG_Plugindata gave another version
    HOST_PLUGIN_REFUSED = 4           // _ODBG_Plugininit did not return 0
};

typedef int32_t (*PluginDataEntry)(char* name);
typedef int32_t (*PluginInitEntry)(int32_t version, HWND mainWindow, void* features);
typedef int32_t (*PluginMenuEntry)(int32_t origin, char* menu, void* item);
typedef void (*PluginActionEntry)(int32_t origin, int32_t action, void* item);

// An export of module as the entry type it has; null when it is missing.
// name may also be an ordinal, MAKEINTRESOURCEA(n).
template <typename Entry>
Entry FindEntry(HMODULE module, const char* name) {
    // GetProcAddress's generic type says nothing of the entry's own.
    return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

struct HostPlugin {
    HMODULE module;
    PluginActionEntry action;
    int32_t hasMenu;                      // 1 when the menu call returned 1
    char name[HOST_PLUGIN_NAME_CAPACITY];
    char menu[HOST_MENU_TEXT_CAPACITY];
    DWORD loadError;                      // GetLastError of a failed load
};

// Loads the DLL at path and starts it with mainWindow as the host's
// window. HOST_PLUGIN_LOADED, or the reason it failed (the DLL is then
// unloaded again).
int32_t LoadHostPlugin(const char* path, HWND mainWindow, HostPlugin* plugin);

// Calls the plug-in's action entry point; in the 32-bit host with the
// stack pointer checked, as every call into the plug-in is.
void CallPluginAction(PluginActionEntry action, int32_t origin, int32_t code, void* item);

// A line of text for a result of LoadHostPlugin.
const char* HostPluginProblem(int32_t result);
