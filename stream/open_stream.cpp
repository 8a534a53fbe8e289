#include "open_stream.h"

#include "overwrite_question.h"

#include "dialogs/message_box.h"

#include <windows.h>

#include <stdint.h>

static const char OVERWRITE_CAPTION[] = "Opening File for Output";

// True when the user agrees to empty the file. The box is modal to the
// active window, the host's when a menu started us.
static bool MayOverwrite(const char* path) {
    char question[OVERWRITE_QUESTION_CAPACITY];
    OverwriteQuestion(path, question, sizeof question);
    const UINT style = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
    return ShowMessage(GetActiveWindow(), OVERWRITE_CAPTION, question, style) == IDYES;
}

// Looks the path up; true and its entry when there is one. The search is
// closed at once.
static bool FindEntry(const char* path, WIN32_FIND_DATAA* entry) {
    entry->nFileSizeHigh = 0;
    entry->nFileSizeLow = 0;
    HANDLE search = FindFirstFileA(path, entry);
    if (search == INVALID_HANDLE_VALUE) {
        entry->nFileSizeHigh = 0;
        entry->nFileSizeLow = 0;
        return false;
    }
    FindClose(search);
    return true;
}

static int32_t HandleToField(HANDLE file) { return static_cast<int32_t>(reinterpret_cast<intptr_t>(file)); }

static void MarkOpened(TextFileStream* stream, HANDLE file, int32_t recordCapacity) {
    stream->FILEHANDLE = HandleToField(file);
    stream->COJOINEDFILEHANDLE = 0;
    stream->PREVIOUSCHARACTERSZ[0] = '\0';
    stream->PREVIOUSCHARACTERSZ[1] = '\0';
    stream->CURRENTCHARACTERSZ[0] = '\0';
    stream->CURRENTCHARACTERSZ[1] = '\0';
    stream->CURRENTRECORDINDEX = 0;
    stream->MAXIMUMTRECORDINDEX = recordCapacity - 1;
    stream->FILESIZEPROCESSEDINBYTES = 0;
    stream->LINENUMBER = 0;
}

static int32_t OpenForWriting(TextFileStream* stream, const WIN32_FIND_DATAA* entry, const char* path,
                              SECURITY_ATTRIBUTES* security, int32_t recordCapacity) {
    if ((entry->nFileSizeHigh != 0 || entry->nFileSizeLow != 0) && !MayOverwrite(path)) return STREAM_KEPT;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, security, CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return STREAM_NOT_CREATED;
    stream->FILESIZETOPROCESSINBYTES = 0;
    MarkOpened(stream, file, recordCapacity);
    return STREAM_OPENED;
}

static int32_t OpenForReading(TextFileStream* stream, const WIN32_FIND_DATAA* entry, const char* path,
                              SECURITY_ATTRIBUTES* security, int32_t recordCapacity) {
    if (entry->nFileSizeHigh > 0) return STREAM_TOO_LARGE;
    if (entry->nFileSizeLow == 0) return STREAM_EMPTY;
    stream->FILESIZETOPROCESSINBYTES = static_cast<int32_t>(entry->nFileSizeLow);
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, security, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return STREAM_NOT_FOUND;
    MarkOpened(stream, file, recordCapacity);
    return STREAM_OPENED;
}

static int32_t OpenWithEntry(TextFileStream* stream, WIN32_FIND_DATAA* entry, const char* path,
                             int32_t recordCapacity) {
    const bool reading = stream->MODE == STREAM_MODE_READ;
    const bool found = path != nullptr && FindEntry(path, entry);
    if (!found && reading) return STREAM_NOT_FOUND;
    if (path == nullptr) return STREAM_NOT_CREATED;

    SECURITY_ATTRIBUTES security;
    security.nLength = sizeof security;
    security.lpSecurityDescriptor = nullptr;
    security.bInheritHandle = FALSE;
    if (reading) return OpenForReading(stream, entry, path, &security, recordCapacity);
    return OpenForWriting(stream, entry, path, &security, recordCapacity);
}

int32_t OpenTextStream(TextFileStream* stream, char*, int32_t recordCapacity, const char* path, int32_t) {
    if (stream == nullptr || stream->FILEHANDLE != 0) return STREAM_REFUSED;
    if (stream->MODE != STREAM_MODE_READ && stream->MODE != STREAM_MODE_WRITE) return STREAM_REFUSED;
    // A record needs room for its terminator at least.
    if (recordCapacity < 1) return STREAM_REFUSED;

    WIN32_FIND_DATAA* entry = static_cast<WIN32_FIND_DATAA*>(HeapAlloc(GetProcessHeap(), 0, sizeof *entry));
    if (entry == nullptr) return stream->MODE == STREAM_MODE_READ ? STREAM_NOT_FOUND : STREAM_NOT_CREATED;
    const int32_t result = OpenWithEntry(stream, entry, path, recordCapacity);
    HeapFree(GetProcessHeap(), 0, entry);
    return result;
}
