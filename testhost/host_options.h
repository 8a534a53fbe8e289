// The stand-in host's command line for scripted runs:
//   ollydbg.exe [--status N] [--name ADDR TYPE TEXT]... [--message CAPTION]
//               [--run PATH | --cancel | --click N]... [--time] [--print FILE]
//               [--screenshot FILE] [--screenshot-host FILE] [--measure] [--modules]
// Steps (--run, --cancel, --click) are clicked in the order given, each
// after the previous action has returned.
#pragma once

#include <stdint.h>

// HOST_PATH_CAPACITY is that of the robot's file-name field.
enum : int32_t { HOST_MAX_STEPS = 32, HOST_MAX_NAMES = 1024, HOST_PATH_CAPACITY = 520 };

enum : int32_t {
    HOST_STEP_CHOOSE_FILE = 0,  // click Run, answer "Select MAP File" with path
    HOST_STEP_CANCEL_FILE = 1,  // click Run, cancel "Select MAP File"
    HOST_STEP_CLICK = 2         // click the item of action, answer nothing
};

struct HostStep {
    int32_t kind;
    int32_t action;    // HOST_STEP_CLICK
    const char* path;  // HOST_STEP_CHOOSE_FILE
};

struct HostName {
    uint32_t address;
    int32_t type;
    const char* text;
};

struct HostOptions {
    int32_t status;              // what _Getstatus returns; 1 unless --status
    const char* printPath;       // --print: where the report goes, or null
    const char* messageCaption;  // --message: answer message boxes with this caption
    int32_t printTimes;          // --time: report each step's elapsed-ms
    const char* screenshotPath;  // --screenshot: a BMP of the progress window
    const char* hostShotPath;    // --screenshot-host: a BMP of the main window after the steps
    int32_t measure;             // --measure: report ticks, chunk times, probes, memory
    int32_t printModules;        // --modules: report where the plug-in's DLL lies
    int32_t stepCount;
    HostStep steps[HOST_MAX_STEPS];
    int32_t nameCount;           // --name: names in the host before the plug-in loads
    HostName names[HOST_MAX_NAMES];
};

// Reads argv[1..argc). 0, or -1 with a line saying what is wrong in error.
// The options keep pointers into argv.
int32_t ParseHostOptions(int argc, char** argv, HostOptions* options, char* error, int32_t errorCapacity);

// True when the host runs a script and exits, rather than waiting for a user.
bool IsScriptedRun(const HostOptions* options);

// The command line's summary, for a usage message.
extern const char HOST_USAGE[];
