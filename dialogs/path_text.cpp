#include "path_text.h"

#include <string.h>

void CopyTextCut(const char* source, char* destination, int32_t capacity) {
    if (capacity < 1) return;
    destination[0] = '\0';
    AppendTextCut(source, destination, capacity);
}

void AppendTextCut(const char* source, char* destination, int32_t capacity) {
    if (capacity < 1) return;
    const size_t limit = static_cast<size_t>(capacity) - 1;
    size_t length = strlen(destination);
    for (size_t i = 0; source[i] != '\0' && length < limit; ++i) destination[length++] = source[i];
    destination[length] = '\0';
}

void AppendBackslash(char* text, int32_t capacity) {
    if (capacity < 1) return;
    const size_t length = strlen(text);
    if (length == 0 || text[length - 1] == '\\') return;
    if (length + 1 > static_cast<size_t>(capacity) - 1) return;
    text[length] = '\\';
    text[length + 1] = '\0';
}
