#include "folder_browser.h"

#include "path_text.h"

#include <objbase.h>
#include <shlobj.h>
#include <string.h>

int32_t BrowseFolder(int32_t, const char* title, int32_t bufferCapacity, char* buffer, HWND owner,
                     uint32_t flags, int32_t trailingBackslash) {
    if (buffer == nullptr || bufferCapacity < 1) return 0;
    // The shell writes up to MAX_PATH bytes; a smaller caller's buffer gets a cut copy.
    char displayName[MAX_PATH] = "";
    char folderPath[MAX_PATH] = "";
    BROWSEINFOA browse;
    memset(&browse, 0, sizeof browse);
    browse.hwndOwner = owner;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = title;
    browse.ulFlags = flags;

    PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&browse);
    if (item == nullptr) return 0;
    const BOOL found = SHGetPathFromIDListA(item, folderPath);
    CoTaskMemFree(item);

    CopyTextCut(found ? folderPath : displayName, buffer, bufferCapacity);
    if (!found) return 0;
    if (trailingBackslash == 1) AppendBackslash(buffer, bufferCapacity);
    return 1;
}
