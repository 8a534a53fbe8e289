#include "long_path.h"

#include "message_box.h"
#include "path_text.h"

#include <windows.h>

#include <string.h>

enum : int32_t { SCRATCH_CAPACITY = MAX_PATH + 1 };

static const char FAILURE_CAPTION[] = "Long Path Conversion failure";
static const char FAILURE_PREFIX[] = "The Long Path of \"";
static const char FAILURE_SUFFIX[] = "\" could not be determined.";

// The current directory, short where the file system keeps short names;
// a bare drive gets its root backslash. Empty when it cannot be read.
static void CurrentDirectory(char* scratch) {
    char directory[SCRATCH_CAPACITY] = "";
    const DWORD length = GetCurrentDirectoryA(SCRATCH_CAPACITY, directory);
    if (length == 0 || length >= SCRATCH_CAPACITY) directory[0] = '\0';
    const DWORD shortLength = GetShortPathNameA(directory, scratch, SCRATCH_CAPACITY);
    if (shortLength == 0 || shortLength >= SCRATCH_CAPACITY) CopyTextCut(directory, scratch, SCRATCH_CAPACITY);
    if (strlen(scratch) == 2 && scratch[1] == ':') AppendTextCut("\\", scratch, SCRATCH_CAPACITY);
}

static void ReportFailure(const char* path) {
    char text[sizeof FAILURE_PREFIX + SCRATCH_CAPACITY + sizeof FAILURE_SUFFIX];
    const int32_t capacity = static_cast<int32_t>(sizeof text);
    CopyTextCut(FAILURE_PREFIX, text, capacity);
    AppendTextCut(path, text, capacity);
    AppendTextCut(FAILURE_SUFFIX, text, capacity);
    ShowMessage(GetActiveWindow(), FAILURE_CAPTION, text, MB_OK | MB_ICONEXCLAMATION);
}

void GetLongPath(int32_t resultCapacity, char* result, int32_t, const char* source, int32_t reportFailure,
                 int32_t trailingBackslash) {
    if (result == nullptr || resultCapacity < 1) return;
    char scratch[SCRATCH_CAPACITY] = "";
    if (source != nullptr) {
        CopyTextCut(source, scratch, SCRATCH_CAPACITY);
    } else {
        CurrentDirectory(scratch);
    }

    // A long form that does not fit comes back as the size it needs: a failure too.
    const DWORD room = static_cast<DWORD>(resultCapacity - 1);
    const DWORD length = GetLongPathNameA(scratch, result, room);
    if (length == 0 || length >= room) {
        if (reportFailure == 1) ReportFailure(scratch);
        CopyTextCut(scratch, result, resultCapacity);
    }
    if (trailingBackslash == 1) AppendBackslash(result, resultCapacity);
}
