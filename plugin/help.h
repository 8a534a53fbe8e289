// The plug-in's two calls into HTML Help.
#pragma once

#include <windows.h>

// The help file, by bare name: HTML Help's own search decides the folder.
extern const char HELP_FILE_NAME[];

// Closes every HTML Help window of the process.
void CloseAllHelpWindows();
