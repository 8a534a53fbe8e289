// The progress window that paces a reading: a small caption-less window
// with a progress bar and a 10 ms timer, and the event loop that serves
// every window of the thread while it is open.
#pragma once

#include <windows.h>

#include <stdint.h>

// Handles one timer tick; true when the reading is over.
typedef bool (*ProgressTick)(void* context);

struct ProgressWindow {
    ProgressTick tick;
    void* context;
    HWND window;
    HWND bar;
    bool closeRequested;  // the window was asked to close
    bool destroyed;       // the window is gone, whoever destroyed it
};

// Creates and shows the window in front of the thread's active window and
// arms its timer. False when no window could be made.
bool OpenProgressWindow(ProgressWindow* progress, ProgressTick tick, void* context);

// Shows percent (0 to 100) on the bar.
void ShowProgress(ProgressWindow* progress, int32_t percent);

// Serves the thread's messages until the window is asked to close or is
// destroyed. A quit message ends the loop and is posted again.
void RunProgressLoop(ProgressWindow* progress);

// Destroys the window unless that has happened already.
void CloseProgressWindow(ProgressWindow* progress);
