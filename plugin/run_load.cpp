#include "commands.h"

// Stub until the Run command is built: the menu item reaches it.
void RunLoad() {}
