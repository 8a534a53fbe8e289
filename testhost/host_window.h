// The host's main window: its menu holds the plug-in's items, a click on
// one goes to the plug-in's action entry point, and a scripted run steps
// through its clicks from the window's own messages. It shows the host's
// log and its Names list, refreshed only when a redraw is broadcast, as a
// debugger's windows are.
#pragma once

#include "host_plugin.h"
#include "host_state.h"
#include "names_snapshot.h"

#include <windows.h>

struct HostScript;

// The window's state, reached through its user data.
struct HostWindow {
    HWND window;
    PluginActionEntry action;  // where clicks on plug-in items go; may be null
    HostScript* script;        // the scripted run, null for a user's session
    int32_t quitOnDestroy;     // 1: closing the window ends the message loop
    HWND log;                  // list box of the log lines
    HWND names;                // the Names list: a list-view with owner data
    HWND status;               // status bar with the count of the Names list
    NamesSnapshot shown;       // the labels at the last redraw request
    HostListener listener;
};

// Posted to start the scripted run's next step.
enum : UINT { WM_HOST_NEXT_STEP = WM_APP + 1 };

// Control ids of the panes, for GetDlgItem.
enum : int { HOST_LOG_ID = 101, HOST_NAMES_ID = 102, HOST_STATUS_ID = 103 };

// Creates the (hidden) main window for state; its handle, also kept in
// state->window, or 0. The window listens to the host's services until it
// is destroyed.
HWND CreateHostWindow(HostWindow* state, const char* title);

// Serves every window of the thread until WM_QUIT; its exit code.
int RunHostMessageLoop();
