// The host's main window: its menu holds the plug-in's items, a click on
// one goes to the plug-in's action entry point, and a scripted run steps
// through its clicks from the window's own messages.
#pragma once

#include "host_plugin.h"

#include <windows.h>

struct HostScript;

// The window's state, reached through its user data.
struct HostWindow {
    HWND window;
    PluginActionEntry action;  // where clicks on plug-in items go; may be null
    HostScript* script;        // the scripted run, null for a user's session
    int32_t quitOnDestroy;     // 1: closing the window ends the message loop
};

// Posted to start the scripted run's next step.
enum : UINT { WM_HOST_NEXT_STEP = WM_APP + 1 };

// Creates the (hidden) main window for state; its handle, also kept in
// state->window, or 0.
HWND CreateHostWindow(HostWindow* state, const char* title);

// Serves every window of the thread until WM_QUIT; its exit code.
int RunHostMessageLoop();
