// The shell's folder browser.
#pragma once

#include <windows.h>

#include <stdint.h>

// Lets the user pick a folder and writes its file-system path to buffer.
//   titleCapacity:    passed along with title, not consulted
//   title:            text shown above the folder tree
//   bufferCapacity:   size of buffer, terminator included
//   buffer:           receives the path, cut to bufferCapacity - 1 characters
//   owner:            owner window, or 0
//   flags:            the browser's flags, unchanged
//   trailingBackslash: 1 to end the path with a backslash
// 1 when a folder with a file-system path was chosen. 0 on cancel (buffer
// untouched) or for an item without such a path (buffer: its display name).
int32_t BrowseFolder(int32_t titleCapacity, const char* title, int32_t bufferCapacity, char* buffer,
                     HWND owner, uint32_t flags, int32_t trailingBackslash);
