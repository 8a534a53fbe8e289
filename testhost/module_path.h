// Paths next to a loaded module, the way the debugger finds its plug-ins
// in its own folder.
#pragma once

#include <windows.h>

#include <stdint.h>

// path := the folder of module (0: the program) followed by relative.
// 0, or -1 when it does not fit in capacity.
int32_t PathBesideModule(HMODULE module, const char* relative, char* path, int32_t capacity);
