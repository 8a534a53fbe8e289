#include "plugin_state.h"

const char PLUGIN_NAME[] = "Vorlane";
const char PLUGIN_MENU[] = "0 &Run|1 &Help,2 &About";
const char PLUGIN_TITLE_LINE[] = "Vorlane Loading Plugin v1.0";
const char PLUGIN_AUTHOR_LINE[] = "Written by: Kestrova";

HINSTANCE PluginModule = nullptr;
HWND HelpWindowHandle = nullptr;
TextFileStream PluginStream;

void InitPluginState(HINSTANCE module) {
    PluginModule = module;
    HelpWindowHandle = nullptr;
    InitTextStream(&PluginStream);
}
