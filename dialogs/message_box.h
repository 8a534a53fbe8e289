// The one way the system shows a message box: a bar in the text stands
// for a line break.
#pragma once

#include <windows.h>

// Shows a modal, not system-modal, message box; the button pressed.
int ShowMessage(HWND owner, const char* caption, const char* text, UINT style);
