// The text of the question asked before a file is emptied for writing.
#pragma once

#include <stdint.h>

// Longest question the message box helper shows whole, terminator included.
enum : int32_t { OVERWRITE_QUESTION_CAPACITY = 1024 };

// Writes '"', the path, '" exists.', an empty line and the question, with
// "|" for each line break, into question (capacity bytes). A path too
// long to fit is cut, so that the question itself is always shown.
void OverwriteQuestion(const char* path, char* question, int32_t capacity);
