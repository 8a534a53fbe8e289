// Folders, files and a dialog watcher shared by the real-dialog tests.
#pragma once

#include <windows.h>

#include <string>

// A folder with a long name (so it has a short alias) holding pick.map,
// made on first use under the temporary folder; ends without a backslash.
std::string DialogTestFolder();

// The process's current directory.
std::string CurrentDirectory();

// Watches for a dialog by title from a thread of its own: reads the text of
// its OK button, then cancels it.
struct ButtonWatch {
    const char* title;
    char okText[64];
    HANDLE thread;
};

void StartButtonWatch(ButtonWatch* watch, const char* title);

// Waits for the watch; true when it found the dialog.
bool FinishButtonWatch(ButtonWatch* watch);
