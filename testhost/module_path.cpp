#include "module_path.h"

#include <string.h>

int32_t PathBesideModule(HMODULE module, const char* relative, char* path, int32_t capacity) {
    char own[MAX_PATH];
    const DWORD length = GetModuleFileNameA(module, own, sizeof own);
    if (length == 0 || length >= sizeof own) return -1;
    char* slash = strrchr(own, '\\');
    const size_t folderLength = slash != nullptr ? static_cast<size_t>(slash - own) + 1 : 0;
    const size_t relativeLength = strlen(relative);
    if (folderLength + relativeLength + 1 > static_cast<size_t>(capacity)) return -1;
    memcpy(path, own, folderLength);
    memcpy(path + folderLength, relative, relativeLength + 1);
    return 0;
}
