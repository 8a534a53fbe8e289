// Bounded text steps shared by the dialog routines.
#pragma once

#include <stdint.h>

// Copies source into destination, at most capacity - 1 characters, and
// terminates it. Nothing is written when capacity is below 1.
void CopyTextCut(const char* source, char* destination, int32_t capacity);

// Appends source to the text already in destination, keeping the whole
// at most capacity - 1 characters.
void AppendTextCut(const char* source, char* destination, int32_t capacity);

// Ends a text that is not empty with a backslash, unless it has one or
// already holds capacity - 1 characters.
void AppendBackslash(char* text, int32_t capacity);
