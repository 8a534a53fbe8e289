// The long form of a path, the start folder of the file dialog.
#pragma once

#include <stdint.h>

// Writes the long form of source, or of the current directory, to result.
//   resultCapacity:    size of result, terminator included
//   result:            receives the long form; when it cannot be found or
//                      does not fit, the source path as given, cut to fit
//   sourceCapacity:    passed along with source, not consulted
//   source:            the path, or null for the current directory (taken
//                      in its short form where the file system has one)
//   reportFailure:     1 to show a message box when the conversion fails
//   trailingBackslash: 1 to end a result that is not empty with a backslash
void GetLongPath(int32_t resultCapacity, char* result, int32_t sourceCapacity, const char* source,
                 int32_t reportFailure, int32_t trailingBackslash);
