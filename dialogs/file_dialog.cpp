#include "file_dialog.h"

#include "folder_browser.h"
#include "path_text.h"
#include "strutil/strutil.h"

#include <string.h>

static_assert(FILE_DIALOG_BASE_OPTIONS == 0x02204004, "base option bits");
#if !defined(_WIN64)
static_assert(FILE_DIALOG_DESCRIPTION_SIZE == 76, "old description form");
#endif

// Split at the last backslash, blanks dropped around both parts.
static const uint32_t SPLIT_FLAGS = TEXT_FROM_END | TEXT_TRIM_TRAILING | TEXT_TRIM_LEADING;

// Appends from[0..count) without its outer blanks to to, at most limit bytes.
static char* AppendTrimmed(char* to, const char* from, int32_t count, int32_t limit) {
    int32_t first = 0;
    while (first < count && IsBlank(static_cast<unsigned char>(from[first]))) ++first;
    while (count > first && IsBlank(static_cast<unsigned char>(from[count - 1]))) --count;
    if (count - first > limit) count = first + limit;
    memcpy(to, from + first, static_cast<size_t>(count - first));
    return to + (count - first);
}

// Rebuilds path as folder part, backslash, name part, each trimmed and cut
// to its buffer, so that the split that follows cannot overrun them.
// -1 when path holds no backslash.
static int32_t BoundStartPath(const char* path, char* bounded) {
    const char* last = strrchr(path, '\\');
    if (last == nullptr) return -1;
    const int32_t folderLength = static_cast<int32_t>(last - path);
    const int32_t nameLength = static_cast<int32_t>(strlen(last + 1));
    char* p = AppendTrimmed(bounded, path, folderLength, FILE_DIALOG_FOLDER_CAPACITY - 1);
    *p++ = '\\';
    p = AppendTrimmed(p, last + 1, nameLength, FILE_DIALOG_NAME_CAPACITY - 1);
    *p = '\0';
    return 0;
}

static void SplitStartPath(FileDialogWork* work, const char* path) {
    char bounded[FILE_DIALOG_FOLDER_CAPACITY + FILE_DIALOG_NAME_CAPACITY];
    if (path != nullptr && BoundStartPath(path, bounded) == 0 &&
        SplitText("\\", bounded, work->folder, work->name, SPLIT_FLAGS) == 0) {
        return;
    }
    CopyTextCut("*.*", work->name, FILE_DIALOG_NAME_CAPACITY);
    work->folder[0] = '\0';
}

// Turns the bars into NULs and ends the list with two NULs; the index of
// the filter the dialog opens with.
static DWORD ConvertFilter(char* list, const char* filter) {
    CopyTextCut(filter != nullptr ? filter : "", list, FILE_DIALOG_FILTER_CAPACITY - 1);
    DWORD counter = 1;
    size_t i = 0;
    for (; list[i] != '\0'; ++i) {
        if (list[i] != '|') continue;
        list[i] = '\0';
        ++counter;
    }
    list[i] = '\0';
    list[i + 1] = '\0';
    return counter / 2;
}

static DWORD OptionBits(uint32_t flags) {
    DWORD bits = FILE_DIALOG_BASE_OPTIONS;
    if (flags == 0 || (flags & FILE_DIALOG_MUST_EXIST)) bits |= OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (flags & FILE_DIALOG_NO_CHANGE_DIR) bits |= OFN_NOCHANGEDIR;
    if (flags & FILE_DIALOG_MULTI_SELECT) bits |= OFN_ALLOWMULTISELECT;
    if (flags & FILE_DIALOG_LONG_NAMES) bits |= OFN_LONGNAMES;
    return bits;
}

void PrepareFileDialog(FileDialogWork* work, const char* title, const char* path, HWND owner,
                       uint32_t flags, const char* filter) {
    memset(work, 0, sizeof *work);
    OPENFILENAMEA* dialog = &work->dialog;
    dialog->lStructSize = FILE_DIALOG_DESCRIPTION_SIZE;
    dialog->hwndOwner = owner;
    dialog->lpstrTitle = title;

    SplitStartPath(work, path);
    dialog->lpstrFileTitle = work->name;
    dialog->nMaxFileTitle = FILE_DIALOG_NAME_CAPACITY;
    dialog->lpstrInitialDir = work->folder;

    // No separator: a caller wanting a proper path ends its folder with a backslash.
    CopyTextCut(work->folder, work->file, FILE_DIALOG_FILE_CAPACITY);
    AppendTextCut(work->name, work->file, FILE_DIALOG_FILE_CAPACITY);
    dialog->lpstrFile = work->file;
    dialog->nMaxFile = FILE_DIALOG_FILE_CAPACITY;

    dialog->nFilterIndex = ConvertFilter(work->filter, filter);
    dialog->lpstrFilter = work->filter;
    dialog->Flags = OptionBits(flags);
}

int32_t FileDialogEx(int32_t titleCapacity, const char* title, int32_t pathCapacity, char* path,
                     HWND owner, uint32_t flags, const char* filter, int32_t) {
    // A choice that cannot be handed back is no success.
    if (path == nullptr || pathCapacity < 1) return 0;
    if (flags & FILE_DIALOG_FOLDER) return BrowseFolder(titleCapacity, title, pathCapacity, path, owner, flags, 1);

    FileDialogWork work;
    PrepareFileDialog(&work, title, path, owner, flags, filter);
    const BOOL chosen = (flags & FILE_DIALOG_SAVE) ? GetSaveFileNameA(&work.dialog)
                                                   : GetOpenFileNameA(&work.dialog);
    if (!chosen) return 0;
    CopyTextCut(work.file, path, pathCapacity);
    return 1;
}
