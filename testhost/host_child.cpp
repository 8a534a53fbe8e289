#include "host_child.h"

#include <stdio.h>

static std::string ReadWholeFile(const char* path) {
    std::string text;
    FILE* file = fopen(path, "rb");
    if (file == nullptr) return text;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
    fclose(file);
    return text;
}

bool StartHostChild(HostChild* child, const char* host, const std::string& arguments) {
    *child = HostChild();
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    GetTempFileNameA(folder, "hst", 0, child->report);
    std::string commandLine = std::string("\"") + host + "\" " + arguments + " --print \"" + child->report + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    child->started = CreateProcessA(host, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                    &child->process) != FALSE;
    return child->started;
}

DWORD FinishHostChild(HostChild* child, DWORD timeoutMs, std::string* report) {
    DWORD exitCode = ~0u;
    if (child->started) {
        if (WaitForSingleObject(child->process.hProcess, timeoutMs) != WAIT_OBJECT_0) {
            TerminateProcess(child->process.hProcess, 99);
            WaitForSingleObject(child->process.hProcess, INFINITE);
        }
        GetExitCodeProcess(child->process.hProcess, &exitCode);
        CloseHandle(child->process.hThread);
        CloseHandle(child->process.hProcess);
    }
    *report = ReadWholeFile(child->report);
    DeleteFileA(child->report);
    return exitCode;
}
