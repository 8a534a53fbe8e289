// The dialog robot: a thread that waits for a top-level window of its own
// process by class and title, reads what it shows, and answers it as a
// user would. Tests
// use it for message boxes and the common dialogs; the demo uses it to
// choose the MAP file.
#pragma once

#include <windows.h>

enum RobotAction {
    ROBOT_FIND_ONLY,    // find the window and read it; touch nothing
    ROBOT_PRESS,        // press the button whose id is in button
    ROBOT_CHOOSE_FILE,  // common file dialog: type fileName, press OK
    ROBOT_CANCEL        // press Cancel (IDCANCEL)
};

struct RobotTask {
    // Filled in by the caller before RobotStart.
    const char* windowClass;  // "#32770" for dialogs and message boxes
    const char* title;        // exact window title
    RobotAction action;
    int button;               // ROBOT_PRESS: IDOK, IDYES, IDNO, ...
    char fileName[520];       // ROBOT_CHOOSE_FILE: what to type
    DWORD timeoutMs;          // how long to wait for the window

    // Filled in by the robot.
    HWND window;              // the window found, 0 if none in time
    HWND owner;               // its owner when found, 0 if it has none
    char text[1024];          // message box text (static 65535)
    char fileField[520];      // file dialog: the file-name field as it opened
    char folder[520];         // file dialog: its folder as it opened
    bool leftOpen;            // ROBOT_CHOOSE_FILE: the dialog stayed after OK
                              // (a folder was typed), so it was cancelled
    HANDLE thread;
    volatile LONG stopRequested;  // set by RobotStop: give up waiting
};

// Sets the task's defaults: dialog class, 10 s timeout, nothing found.
void RobotInit(RobotTask* task, const char* title, RobotAction action);

// Starts the robot's thread for the task.
void RobotStart(RobotTask* task);

// Waits for the robot to finish; true when it found its window.
bool RobotFinish(RobotTask* task);

// Tells a robot still waiting for its window to give up, then finishes it:
// for a window that can no longer appear. True when it had found it.
bool RobotStop(RobotTask* task);
