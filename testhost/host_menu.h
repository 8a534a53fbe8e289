// The host's menu for a plug-in, built from the plug-in's menu text:
// items "N label" separated by commas, where N is the action code handed
// back to the plug-in, and a bar that also puts a separator line between
// the items on either side of it.
#pragma once

#include <windows.h>

#include <stdint.h>

enum : int32_t {
    HOST_MENU_MAX_ENTRIES = 64,
    HOST_MENU_LABEL_CAPACITY = 64,
    HOST_MENU_MAX_ACTION = 999
};

// Command ids of the plug-in's items: action N is HOST_FIRST_ACTION_COMMAND + N.
enum : UINT { HOST_FIRST_ACTION_COMMAND = 1000 };

struct HostMenuEntry {
    int32_t separator;                      // 1: a separator line, no item
    int32_t action;                         // the item's action code
    char label[HOST_MENU_LABEL_CAPACITY];   // the item's text, '&' included
};

// Splits menu text into entries: their count, 0 for an empty text, or -1
// for a null text, a malformed item or more than capacity entries.
int32_t ParseMenuText(const char* text, HostMenuEntry* entries, int32_t capacity);

// Command id of an action code (0 to HOST_MENU_MAX_ACTION).
UINT CommandOfAction(int32_t action);

// Action code of a command id, -1 for an id that is no plug-in item.
int32_t ActionOfCommand(UINT command);

// Appends to menu a popup titled title that holds the items of menuText.
// The number of items (separators not counted), or -1 when the text does
// not parse; then menu is left as it was.
int32_t AddPluginMenu(HMENU menu, const char* title, const char* menuText);

// Command id of the first item, in menu or any popup below it, whose text
// without its '&' is label; 0 when there is none.
UINT FindMenuCommand(HMENU menu, const char* label);

// True when menu or a popup below it holds an item with the command id.
bool MenuHasCommand(HMENU menu, UINT command);
