// The plug-in's identity and its plug-in-wide storage.
#pragma once

#include "stream/text_stream.h"

#include <windows.h>

#include <stdint.h>

extern const char PLUGIN_NAME[];
extern const char PLUGIN_MENU[];
extern const char PLUGIN_TITLE_LINE[];   // first log line, also the About title
extern const char PLUGIN_AUTHOR_LINE[];  // second log line, also on About

enum : int32_t { PLUGIN_INTERFACE_VERSION = 110 };

// The DLL's own module, for its resources.
extern HINSTANCE PluginModule;

// Handle of the last help window opened, 0 when none is known.
extern HWND HelpWindowHandle;

// The plug-in's one stream record.
extern TextFileStream PluginStream;

// Sets the plug-in-wide data to its state at load.
void InitPluginState(HINSTANCE module);
