// Drives the About window from a second thread while ShowAbout runs its
// loop on the test's own thread, and reads what is on the screen.
#pragma once

#include "screenshot.h"

#include <windows.h>

#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

struct AboutRun {
    // On the plug-in's thread, as soon as the window has been set up and
    // before its loop runs: the window's state at opening.
    std::function<void(HWND about)> atOpen;
    // On the robot's thread, once the window shows. When it returns, a
    // window still open is sent a close request.
    std::function<void(HWND about)> script;

    bool helpEnabledAtOpen = false;
    HWND about = nullptr;  // the window the robot found
};

// Calls ShowAbout on this thread with the robot beside it.
void RunAbout(AboutRun* run);

// Posts a button press to a control of the dialog.
void PressControl(HWND dialog, int control);

// Polls every 5 ms; the milliseconds it took, or -1 when the time ran out.
long WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// Serves this thread's windows for a while.
void PumpMessagesFor(DWORD ms);

// HelpWindowHandle, read and written safely from the robot's thread.
HWND ReadHelpHandle();
void WriteHelpHandle(HWND window);

// A handle that names no window any more.
HWND MakeStaleHandle();

// Top-level windows of the thread with this class.
std::vector<HWND> ThreadWindowsOfClass(DWORD thread, const char* windowClass);

