#include "help.h"

#include "commands.h"

#include <htmlhelp.h>

const char HELP_FILE_NAME[] = "Vorlane.chm";

HWND ShowHelp(HWND caller) { return HtmlHelpA(caller, HELP_FILE_NAME, HH_DISPLAY_TOPIC, 0); }

void CloseAllHelpWindows() { HtmlHelpA(nullptr, "", HH_CLOSE_ALL, 0); }
