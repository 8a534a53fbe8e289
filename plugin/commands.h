// The three menu commands.
#pragma once

#include <windows.h>

// Run: replaces every user label with those of a chosen MAP file.
void RunLoad();

// Opens the help file; the help window's handle, or 0 when it did not open.
HWND ShowHelp(HWND caller);

// Shows the About window and returns when it has closed.
void ShowAbout();
