// The stand-in host run as a child process by a test, with its report.
#pragma once

#include <windows.h>

#include <string>

struct HostChild {
    PROCESS_INFORMATION process;
    char report[MAX_PATH];  // the --print file, fresh in the temporary folder
    bool started;
};

// Starts host (an ollydbg.exe) with arguments followed by --print.
bool StartHostChild(HostChild* child, const char* host, const std::string& arguments);

// Waits up to timeoutMs for the child, ending it with code 99 if it has
// not exited by then; its exit code (~0 if it never started), and the
// report's text in report.
DWORD FinishHostChild(HostChild* child, DWORD timeoutMs, std::string* report);
