// Where a test program finds the build's DLLs and the stand-in host: in
// the build's bin/, at VORLANE_BIN_FROM_EXE from the program's own folder
// (set by vorlane_host_test).
#pragma once

#include "module_path.h"

#include <stdio.h>

// path := the full path of name in the build's bin/. 0, or -1.
inline int32_t BuiltFilePath(const char* name, char* path, int32_t capacity) {
    char relative[MAX_PATH];
    if (snprintf(relative, sizeof relative, "%s%s", VORLANE_BIN_FROM_EXE, name) >= static_cast<int>(sizeof relative)) {
        return -1;
    }
    for (char* c = relative; *c != '\0'; ++c) {
        if (*c == '/') *c = '\\';
    }
    return PathBesideModule(nullptr, relative, path, capacity);
}

// Loads name from the build's bin/; 0 when it does not load.
inline HMODULE LoadBuiltDll(const char* name) {
    char path[MAX_PATH];
    if (BuiltFilePath(name, path, sizeof path) != 0) return nullptr;
    return LoadLibraryA(path);
}
