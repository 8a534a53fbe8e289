#include "host_script.h"

#include "host_menu.h"
#include "host_state.h"
#include "host_window.h"
#include "load_measure.h"

#include "host/host_services.h"

#include <stdio.h>
#include <string.h>

static const char FILE_DIALOG_TITLE[] = "Select MAP File";
static const char RUN_LABEL[] = "Run";

void ScriptInit(HostScript* script, const HostOptions* options) {
    memset(script, 0, sizeof *script);
    script->options = options;
    if (options->screenshotPath != nullptr) StartProgressShot(&script->progressShot, options->screenshotPath);
}

static bool AnswersFileDialog(const HostStep* step) {
    return step->kind == HOST_STEP_CHOOSE_FILE || step->kind == HOST_STEP_CANCEL_FILE;
}

static UINT StepCommand(HMENU menu, const HostStep* step) {
    if (AnswersFileDialog(step)) return FindMenuCommand(menu, RUN_LABEL);
    if (step->action < 0 || step->action > HOST_MENU_MAX_ACTION) return 0;
    const UINT command = CommandOfAction(step->action);
    return MenuHasCommand(menu, command) ? command : 0;
}

static void StartRobots(HostScript* script, const HostStep* step) {
    memset(&script->fileRobot, 0, sizeof script->fileRobot);
    memset(&script->messageRobot, 0, sizeof script->messageRobot);
    if (AnswersFileDialog(step)) {
        const bool choose = step->kind == HOST_STEP_CHOOSE_FILE;
        RobotInit(&script->fileRobot, FILE_DIALOG_TITLE, choose ? ROBOT_CHOOSE_FILE : ROBOT_CANCEL);
        if (choose) snprintf(script->fileRobot.fileName, sizeof script->fileRobot.fileName, "%s", step->path);
        RobotStart(&script->fileRobot);
    }
    if (script->options->messageCaption != nullptr) {
        RobotInit(&script->messageRobot, script->options->messageCaption, ROBOT_PRESS);
        script->messageRobot.button = IDOK;
        RobotStart(&script->messageRobot);
    }
}

static void Finish(HostScript* script, HWND window) {
    if (script->options->screenshotPath != nullptr) script->shotTaken = StopProgressShot(&script->progressShot);
    const char* hostShot = script->options->hostShotPath;
    if (hostShot != nullptr) script->hostShotTaken = SaveWindowShot(window, hostShot);
    if (script->options->measure == 1) StopLoadMeasure();
    const char* path = script->options->printPath;
    if (path != nullptr && WriteHostReport(path, script) != 0) {
        fprintf(stderr, "ollydbg.exe: cannot write %s\n", path);
        script->exitCode = HOST_EXIT_NO_REPORT;
    }
    DestroyWindow(window);
}

void ScriptNextStep(HostScript* script, HWND window) {
    if (script->next == script->options->stepCount) {
        Finish(script, window);
        return;
    }
    const HostStep* step = &script->options->steps[script->next];
    const UINT command = StepCommand(GetMenu(window), step);
    if (command == 0) {
        fprintf(stderr, "ollydbg.exe: step %d: no such item in the menu\n", script->next + 1);
        script->exitCode = HOST_EXIT_NO_MENU_ITEM;
        Finish(script, window);
        return;
    }
    StartRobots(script, step);
    script->pendingCommand = command;
    QueryPerformanceCounter(&script->clickTime);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

bool ScriptTakesClick(HostScript* script, UINT command) {
    if (script->pendingCommand == 0 || command != script->pendingCommand) return false;
    script->pendingCommand = 0;
    return true;
}

// A message box shows a bar of its text as a line break; give it back.
static void BarsForLineBreaks(const char* text, char* out, size_t capacity) {
    size_t o = 0;
    for (size_t i = 0; text[i] != '\0' && o + 1 < capacity; ++i) {
        if (text[i] == '\r') continue;
        out[o++] = text[i] == '\n' ? '|' : text[i];
    }
    out[o] = '\0';
}

void ScriptActionReturned(HostScript* script, HWND window) {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    HostStepResult* result = &script->results[script->next];
    result->elapsedMicroseconds = (now.QuadPart - script->clickTime.QuadPart) * 1000000 / frequency.QuadPart;
    // Whatever the robots have not found by now cannot appear any more.
    result->dialogSeen = RobotStop(&script->fileRobot) ? 1 : 0;
    result->messageSeen = RobotStop(&script->messageRobot) ? 1 : 0;
    if (result->messageSeen == 1) {
        BarsForLineBreaks(script->messageRobot.text, result->messageText, sizeof result->messageText);
    }
    if (AnswersFileDialog(&script->options->steps[script->next]) && result->dialogSeen == 0) {
        fprintf(stderr, "ollydbg.exe: step %d: no \"%s\" dialog appeared\n", script->next + 1, FILE_DIALOG_TITLE);
    }
    ++script->next;
    PostMessageA(window, WM_HOST_NEXT_STEP, 0, 0);
}

static void WriteStepLines(FILE* file, const HostScript* script) {
    for (int32_t i = 0; i < script->next; ++i) {
        const HostStepResult* result = &script->results[i];
        if (result->messageSeen == 1) {
            fprintf(file, "message: %s | %s\n", script->options->messageCaption, result->messageText);
        }
        if (script->options->printTimes == 1) {
            fprintf(file, "elapsed-ms: %lld\n", static_cast<long long>((result->elapsedMicroseconds + 500) / 1000));
        }
    }
}

int32_t WriteHostReport(const char* path, const HostScript* script) {
    FILE* file = fopen(path, "wb");
    if (file == nullptr) return -1;
    for (const HostLogLine& line : Host().log) fprintf(file, "log: %s\n", line.text.c_str());
    // Where the plug-in lies, so that its map can be rebased to it.
    if (script->options->printModules == 1) {
        fprintf(file, "module: Vorlane.dll %llX\n",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(GetModuleHandleA("Vorlane.dll"))));
    }
    for (const HostBroadcast& b : Host().broadcasts) fprintf(file, "broadcast: %u %u %u\n", b.message, b.first, b.second);
    for (const std::string& fault : Host().stackFaults) fprintf(file, "stack-fault: %s\n", fault.c_str());
    for (const auto& label : HostNamesOfType(NAME_TYPE_LABEL)) {
        fprintf(file, "label: %08X %s\n", label.first, label.second.c_str());
    }
    WriteStepLines(file, script);
    if (script->options->screenshotPath != nullptr) {
        fprintf(file, "screenshot: %s\n", script->shotTaken ? script->options->screenshotPath : "none");
    }
    if (script->options->hostShotPath != nullptr) {
        fprintf(file, "host-screenshot: %s\n", script->hostShotTaken ? script->options->hostShotPath : "none");
    }
    if (script->options->measure == 1) WriteLoadMeasure(file);
    const bool written = ferror(file) == 0;
    return (fclose(file) == 0 && written) ? 0 : -1;
}
