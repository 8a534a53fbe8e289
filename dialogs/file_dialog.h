// The common open and save dialog, with a folder mode that runs the
// folder browser instead.
#pragma once

#include <windows.h>

#include <commdlg.h>
#include <stddef.h>
#include <stdint.h>

// Bits of the caller's flag word; they may be combined.
enum : uint32_t {
    FILE_DIALOG_SAVE = 1,          // save dialog instead of open dialog
    FILE_DIALOG_NO_CHANGE_DIR = 2, // keep the process's current directory
    FILE_DIALOG_MUST_EXIST = 4,    // path and file must exist (also when flags are 0)
    FILE_DIALOG_MULTI_SELECT = 8,  // allow several names; the caller gets the first text
    FILE_DIALOG_LONG_NAMES = 16,   // long names, which every dialog has anyway
    FILE_DIALOG_FOLDER = 32        // run the folder browser instead
};

// Sizes of the work buffers, terminators included.
enum : int32_t {
    FILE_DIALOG_FILE_CAPACITY = 517,
    FILE_DIALOG_FOLDER_CAPACITY = 261,
    FILE_DIALOG_NAME_CAPACITY = 257,
    FILE_DIALOG_FILTER_CAPACITY = 513
};

// Option bits of every file dialog: hide read-only, share-aware, long
// names, not added to the recent documents.
enum : DWORD {
    FILE_DIALOG_BASE_OPTIONS = OFN_HIDEREADONLY | OFN_SHAREAWARE | OFN_LONGNAMES | OFN_DONTADDTORECENT
};

// The description in its old form, without the three trailing fields that
// later Windows versions added: 76 bytes in the 32-bit build.
constexpr DWORD FILE_DIALOG_DESCRIPTION_SIZE =
    offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);

// One dialog's work buffers and its description, which points into them.
struct FileDialogWork {
    char file[FILE_DIALOG_FILE_CAPACITY];        // initial file text, then the choice
    char folder[FILE_DIALOG_FOLDER_CAPACITY];    // initial folder
    char name[FILE_DIALOG_NAME_CAPACITY];        // start name, then the chosen file title
    char filter[FILE_DIALOG_FILTER_CAPACITY];    // filter list, ending in two NULs
    OPENFILENAMEA dialog;
};

// Fills work for a file dialog without showing it.
//   work:   the record to fill; it must stay where it is while the dialog runs
//   title:  the dialog's caption, or null for the system's own
//   path:   start path: folder before its last backslash, name after it;
//           a part too long for its buffer is cut to fit
//   owner:  owner window, or 0
//   flags:  the caller's flag word
//   filter: descriptions and patterns separated by bars, cut to 511 characters
void PrepareFileDialog(FileDialogWork* work, const char* title, const char* path, HWND owner,
                       uint32_t flags, const char* filter);

// Asks the user for a file, or with FILE_DIALOG_FOLDER for a folder.
//   titleCapacity, filterCapacity: passed along with their texts, not consulted
//   title:        the dialog's caption
//   pathCapacity: size of path, terminator included
//   path:         the start path on entry; the choice after success, cut
//                 to pathCapacity - 1 characters
//   owner:        owner window, or 0
//   flags:        the caller's flag word
//   filter:       descriptions and patterns separated by bars
// 1 for a confirmed choice; 0 for cancel or failure, path then unchanged
// (folder mode: as BrowseFolder leaves it).
int32_t FileDialogEx(int32_t titleCapacity, const char* title, int32_t pathCapacity, char* path,
                     HWND owner, uint32_t flags, const char* filter, int32_t filterCapacity);
