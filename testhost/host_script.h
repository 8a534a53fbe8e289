// A scripted run of the stand-in host: the steps of the command line,
// each a click in the real menu while robots answer the dialogs it opens,
// then the report of what the host was asked to do.
#pragma once

#include "host_options.h"
#include "robot.h"
#include "screenshot.h"

#include <windows.h>

#include <stdint.h>

// Exit codes of ollydbg.exe.
enum : int {
    HOST_EXIT_OK = 0,
    HOST_EXIT_USAGE = 2,
    HOST_EXIT_NO_PLUGIN = 3,
    HOST_EXIT_NO_MENU_ITEM = 4,
    HOST_EXIT_NO_REPORT = 5
};

struct HostStepResult {
    int64_t elapsedMicroseconds;  // from the click until the action returned
    int32_t dialogSeen;           // the robot found "Select MAP File"
    int32_t messageSeen;          // the robot answered a --message box
    char messageText[1024];       // its text, line breaks as bars
};

struct HostScript {
    const HostOptions* options;
    int32_t next;                 // the step to start next
    UINT pendingCommand;          // the click posted and not yet handled, 0 if none
    LARGE_INTEGER clickTime;
    RobotTask fileRobot;
    RobotTask messageRobot;
    HostStepResult results[HOST_MAX_STEPS];
    ProgressShot progressShot;    // --screenshot
    bool shotTaken;
    bool hostShotTaken;           // --screenshot-host
    int exitCode;
};

void ScriptInit(HostScript* script, const HostOptions* options);

// Clicks the next step's item in the window's menu or, after the last
// step, writes the report and destroys the window.
void ScriptNextStep(HostScript* script, HWND window);

// True when command is the click the script is waiting for; from then on
// it is no longer pending, so that a nested click of the same item is not
// taken for it.
bool ScriptTakesClick(HostScript* script, UINT command);

// Called when the action of the scripted click has returned: times it,
// stops the robots and posts the next step.
void ScriptActionReturned(HostScript* script, HWND window);

// Writes every log line, broadcast and type-49 label of the host, then the
// steps' message and elapsed-ms lines, to path. 0, or -1 when it cannot.
int32_t WriteHostReport(const char* path, const HostScript* script);
