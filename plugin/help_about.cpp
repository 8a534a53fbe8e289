#include "commands.h"

// Stubs until Help and About are built: the menu items reach them.
HWND ShowHelp(HWND) { return nullptr; }

void ShowAbout() {}
