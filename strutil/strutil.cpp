#include "strutil.h"

#include <string.h>

static int32_t TextLength(const char* text) {
    return static_cast<int32_t>(strlen(text));
}

static bool SameBytes(const char* a, const char* b, int32_t n, bool caseSensitive) {
    for (int32_t i = 0; i < n; ++i) {
        char x = a[i];
        char y = b[i];
        if (!caseSensitive) {
            x = UpperAscii(x);
            y = UpperAscii(y);
        }
        if (x != y) return false;
    }
    return true;
}

int32_t CopyText(const char* source, char* destination) {
    if (source == nullptr || destination == nullptr) return -1;
    memmove(destination, source, strlen(source) + 1);
    return 0;
}

int32_t FindText(const char* token, const char* text, uint32_t flags,
                 int32_t* start, int32_t* end) {
    if (token == nullptr || text == nullptr || start == nullptr || end == nullptr) return -1;
    const int32_t n = TextLength(token);
    const int32_t length = TextLength(text);
    const bool caseSensitive = (flags & TEXT_CASE_SENSITIVE) != 0;
    if ((flags & TEXT_FROM_END) == 0) {
        for (int32_t p = 0; p <= length - n; ++p) {
            if (SameBytes(text + p, token, n, caseSensitive)) {
                *start = p;
                *end = p + n;
                return 0;
            }
        }
        return -1;
    }
    if (n == 0 || length == 0) return -1;
    for (int32_t p = length - n; p >= 0; --p) {
        if (SameBytes(text + p, token, n, caseSensitive)) {
            *start = p;
            *end = p + n;
            return 0;
        }
    }
    return -1;
}

static void CopyRange(const char* from, int32_t count, char* to) {
    memmove(to, from, static_cast<size_t>(count));
    to[count] = '\0';
}

int32_t SplitText(const char* token, const char* text, char* left, char* right,
                  uint32_t flags) {
    if (token == nullptr || text == nullptr || left == nullptr || right == nullptr) return -1;
    int32_t start = 0;
    int32_t end = 0;
    if (FindText(token, text, flags, &start, &end) != 0) return -1;
    const int32_t length = TextLength(text);
    CopyRange(text, start, left);
    CopyRange(text + end, length - end, right);
    if (flags & TEXT_TRIM_LEADING) {
        TrimLeftBlanks(left);
        TrimLeftBlanks(right);
    }
    if (flags & TEXT_TRIM_TRAILING) {
        TrimRightBlanks(left);
        TrimRightBlanks(right);
    }
    return 0;
}

int32_t TrimLeftBlanks(char* text) {
    if (text == nullptr) return -1;
    size_t skip = 0;
    while (IsBlank(static_cast<unsigned char>(text[skip]))) ++skip;
    if (skip > 0) memmove(text, text + skip, strlen(text + skip) + 1);
    return 0;
}

int32_t TrimRightBlanks(char* text) {
    if (text == nullptr) return -1;
    size_t keep = 0;
    for (size_t i = 0; text[i] != '\0'; ++i) {
        if (!IsBlank(static_cast<unsigned char>(text[i]))) keep = i + 1;
    }
    if (text[keep] != '\0') text[keep] = '\0';
    return 0;
}
