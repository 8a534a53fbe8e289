// Where a program finds the build's DLLs (dist/ in the 32-bit build, bin/
// in the 64-bit one) at VORLANE_BIN_FROM_EXE from its own folder, and a
// test program the stand-in host at VORLANE_HOST_FROM_EXE (both set by
// the build).
#pragma once

#include "module_path.h"

#include <stdio.h>

// path := the full path of name in folder, relative to the program's own
// folder. 0, or -1.
inline int32_t PathFromProgram(const char* folder, const char* name, char* path, int32_t capacity) {
    char relative[MAX_PATH];
    if (snprintf(relative, sizeof relative, "%s%s", folder, name) >= static_cast<int>(sizeof relative)) {
        return -1;
    }
    for (char* c = relative; *c != '\0'; ++c) {
        if (*c == '/') *c = '\\';
    }
    return PathBesideModule(nullptr, relative, path, capacity);
}

// path := the full path of name among the build's DLLs. 0, or -1.
inline int32_t BuiltFilePath(const char* name, char* path, int32_t capacity) {
    return PathFromProgram(VORLANE_BIN_FROM_EXE, name, path, capacity);
}

#if defined(VORLANE_HOST_FROM_EXE)
// path := the full path of the stand-in host ollydbg.exe. 0, or -1.
inline int32_t HostProgramPath(char* path, int32_t capacity) {
    return PathFromProgram(VORLANE_HOST_FROM_EXE, "ollydbg.exe", path, capacity);
}
#endif

// Loads name from the build's bin/; 0 when it does not load.
inline HMODULE LoadBuiltDll(const char* name) {
    char path[MAX_PATH];
    if (BuiltFilePath(name, path, sizeof path) != 0) return nullptr;
    return LoadLibraryA(path);
}
