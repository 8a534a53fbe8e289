// The host's twelve plug-in entry points. Each hands over at once to the
// plug-in's own routines; the C convention (caller removes arguments)
// matches the host's plug-in interface.
#include "commands.h"
#include "host/host_services.h"
#include "plugin_state.h"
#include "strutil/strutil.h"

#include <windows.h>

#include <stdint.h>

#if defined(_WIN64)
#define PLUGIN_CALL
#else
#define PLUGIN_CALL __cdecl
#endif

enum : int32_t { ORIGIN_MAIN_MENU = 0, ACTION_RUN = 0, ACTION_HELP = 1, ACTION_ABOUT = 2 };

extern "C" {

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) InitPluginState(module);
    return TRUE;
}

int32_t PLUGIN_CALL _ODBG_Plugindata(char* name) {
    CopyText(PLUGIN_NAME, name);
    return PLUGIN_INTERFACE_VERSION;
}

int32_t PLUGIN_CALL _ODBG_Plugininit(int32_t version, HWND, void*) {
    if (version < PLUGIN_INTERFACE_VERSION) return -1;
    _Addtolist(0, 0, PLUGIN_TITLE_LINE);
    _Addtolist(0, -1, PLUGIN_AUTHOR_LINE);
    return 0;
}

int32_t PLUGIN_CALL _ODBG_Pluginmenu(int32_t origin, char* menu, void*) {
    if (origin != ORIGIN_MAIN_MENU) return 0;
    CopyText(PLUGIN_MENU, menu);
    return 1;
}

void PLUGIN_CALL _ODBG_Pluginaction(int32_t origin, int32_t action, void*) {
    if (origin != ORIGIN_MAIN_MENU) return;
    switch (action) {
    case ACTION_RUN:
        RunLoad();
        break;
    case ACTION_HELP:
        HelpWindowHandle = ShowHelp(nullptr);
        break;
    case ACTION_ABOUT:
        ShowAbout();
        break;
    default:
        break;
    }
}

// The host passes arguments to the entry points below; none of them is
// read, and the caller removes them, so they need not be declared.
void PLUGIN_CALL _ODBG_Pluginmainloop(void) {}

void PLUGIN_CALL _ODBG_Pluginsaveudd(void) {}

int32_t PLUGIN_CALL _ODBG_Pluginuddrecord(void) { return 0; }

int32_t PLUGIN_CALL _ODBG_Pluginshortcut(void) { return 0; }

void PLUGIN_CALL _ODBG_Pluginreset(void) {}

int32_t PLUGIN_CALL _ODBG_Pluginclose(void) { return 0; }

void PLUGIN_CALL _ODBG_Plugindestroy(void) {}

int32_t PLUGIN_CALL _ODBG_Plugincmd(void) { return 0; }

}  // extern "C"
