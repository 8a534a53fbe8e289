#include "message_box.h"

// Long enough for every message the system shows (a path and two lines).
enum { MESSAGE_CAPACITY = 1024 };

int ShowMessage(HWND owner, const char* caption, const char* text, UINT style) {
    char lines[MESSAGE_CAPACITY];
    int i = 0;
    for (; i < MESSAGE_CAPACITY - 1 && text[i] != '\0'; ++i) lines[i] = text[i] == '|' ? '\n' : text[i];
    lines[i] = '\0';
    return MessageBoxA(owner, lines, caption, style);
}
