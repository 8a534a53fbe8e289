// Pictures of windows as the screen shows them, for a person to look at.
// BitBlt from the screen keeps the child controls, which PrintWindow
// leaves out under Wine.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>
#include <vector>

struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
};

// What the screen shows in the window's rectangle, children included.
bool CaptureWindow(HWND window, Screenshot* shot);

// Writes the shot as a 24-bit BMP.
bool WriteBmp(const Screenshot& shot, const std::string& path);

// Pixels of exactly this colour inside a rectangle of the shot.
int CountPixels(const Screenshot& shot, const RECT& area, COLORREF colour);

// Paints window and its children now, then saves what the screen shows
// of it to path. True when the shot was written.
bool SaveWindowShot(HWND window, const char* path);

// Starts a thread that waits for the progress window of a load in this
// process (a top-level window holding a progress bar that has moved), then
// saves a shot of it to path. StopProgressShot ends the wait; true when
// the shot was written.
struct ProgressShot {
    char path[MAX_PATH];
    volatile LONG stop;
    bool written;
    HANDLE thread;
};
void StartProgressShot(ProgressShot* shot, const char* path);
bool StopProgressShot(ProgressShot* shot);
