// Copy, search, split and blank-trimming routines on NUL-terminated
// single-byte texts. Portable: no system headers beyond the C library.
#pragma once

#include <stdint.h>

// Flags of FindText and SplitText; other bits are ignored.
enum : uint32_t {
    TEXT_CASE_SENSITIVE = 1,  // compare bytes as they are, not a-z folded to A-Z
    TEXT_TRIM_LEADING = 2,    // SplitText: drop leading blanks of both outputs
    TEXT_TRIM_TRAILING = 4,   // SplitText: drop trailing blanks of both outputs
    TEXT_FROM_END = 8         // take the last occurrence instead of the first
};

// Copies source, terminator included, into destination; no bound, so the
// destination must hold the whole source. 0, or -1 for a null pointer.
int32_t CopyText(const char* source, char* destination);

// Finds token in text. On 0, *start and *end hold the occurrence's first
// position and the position just after it; -1 when there is none or a
// pointer is null, and then nothing is written.
int32_t FindText(const char* token, const char* text, uint32_t flags,
                 int32_t* start, int32_t* end);

// Splits text at the occurrence of token that flags select: left gets the
// bytes before it, right the bytes after it. Each output must hold the
// text's length plus one. -1 (nothing written) for a null pointer or a
// token that does not occur.
int32_t SplitText(const char* token, const char* text, char* left, char* right,
                  uint32_t flags);

// Removes leading blanks (space, tab) in place. 0, or -1 for null.
int32_t TrimLeftBlanks(char* text);

// Removes trailing blanks (space, tab) in place. 0, or -1 for null.
int32_t TrimRightBlanks(char* text);

// True for the two blanks, space and tab.
inline bool IsBlank(unsigned char c) { return c == ' ' || c == '\t'; }

// Maps a-z to A-Z and leaves every other byte alone.
inline char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
