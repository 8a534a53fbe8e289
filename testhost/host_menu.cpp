#include "host_menu.h"

#include <string.h>

static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One "N label" item out of the length bytes at text.
static int32_t ParseItem(const char* text, int32_t length, HostMenuEntry* entry) {
    int32_t i = 0;
    while (i < length && text[i] == ' ') ++i;
    if (i == length || !IsDigit(text[i])) return -1;
    int32_t action = 0;
    for (; i < length && IsDigit(text[i]); ++i) {
        action = action * 10 + (text[i] - '0');
        if (action > HOST_MENU_MAX_ACTION) return -1;
    }
    while (i < length && text[i] == ' ') ++i;
    const int32_t labelLength = length - i;
    if (labelLength <= 0 || labelLength >= HOST_MENU_LABEL_CAPACITY) return -1;
    entry->separator = 0;
    entry->action = action;
    memcpy(entry->label, text + i, labelLength);
    entry->label[labelLength] = '\0';
    return 0;
}

static int32_t AddSeparator(HostMenuEntry* entries, int32_t count, int32_t capacity) {
    if (count == capacity) return -1;
    memset(&entries[count], 0, sizeof entries[count]);
    entries[count].separator = 1;
    return count + 1;
}

int32_t ParseMenuText(const char* text, HostMenuEntry* entries, int32_t capacity) {
    if (text == nullptr) return -1;
    if (*text == '\0') return 0;
    int32_t count = 0;
    const char* item = text;
    for (;;) {
        const char* end = item + strcspn(item, ",|");
        if (count == capacity) return -1;
        if (ParseItem(item, static_cast<int32_t>(end - item), &entries[count]) != 0) return -1;
        ++count;
        if (*end == '\0') return count;
        if (*end == '|') {
            count = AddSeparator(entries, count, capacity);
            if (count < 0) return -1;
        }
        item = end + 1;
    }
}

UINT CommandOfAction(int32_t action) { return HOST_FIRST_ACTION_COMMAND + static_cast<UINT>(action); }

int32_t ActionOfCommand(UINT command) {
    if (command < HOST_FIRST_ACTION_COMMAND) return -1;
    if (command > HOST_FIRST_ACTION_COMMAND + HOST_MENU_MAX_ACTION) return -1;
    return static_cast<int32_t>(command - HOST_FIRST_ACTION_COMMAND);
}

int32_t AddPluginMenu(HMENU menu, const char* title, const char* menuText) {
    HostMenuEntry entries[HOST_MENU_MAX_ENTRIES];
    const int32_t count = ParseMenuText(menuText, entries, HOST_MENU_MAX_ENTRIES);
    if (count < 0) return -1;
    HMENU popup = CreatePopupMenu();
    int32_t items = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (entries[i].separator == 1) {
            AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        AppendMenuA(popup, MF_STRING, CommandOfAction(entries[i].action), entries[i].label);
        ++items;
    }
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), title);
    return items;
}

static bool SameWithoutMnemonic(const char* text, const char* label) {
    for (;; ++text) {
        if (*text == '&') continue;
        if (*text != *label) return false;
        if (*text == '\0') return true;
        ++label;
    }
}

UINT FindMenuCommand(HMENU menu, const char* label) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        HMENU popup = GetSubMenu(menu, i);
        if (popup != nullptr) {
            const UINT command = FindMenuCommand(popup, label);
            if (command != 0) return command;
            continue;
        }
        char text[HOST_MENU_LABEL_CAPACITY];
        if (GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION) <= 0) continue;
        if (SameWithoutMnemonic(text, label)) return GetMenuItemID(menu, i);
    }
    return 0;
}

bool MenuHasCommand(HMENU menu, UINT command) {
    return GetMenuState(menu, command, MF_BYCOMMAND) != static_cast<UINT>(-1);
}
