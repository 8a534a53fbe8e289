// ollydbg.exe, the stand-in host: loads Vorlane.dll from its plug-in folder as
// the debugger does, shows its menu, log and Names list, and runs a user's
// session or, with a script on the command line, clicks through it and
// reports.
#include "built_dll.h"
#include "host_menu.h"
#include "host_options.h"
#include "host_plugin.h"
#include "host_script.h"
#include "host_state.h"
#include "host_window.h"
#include "load_measure.h"

#include <stdio.h>

static const char PLUGIN_FILE[] = "Vorlane.dll";

static void SeedNames(const HostOptions* options) {
    for (int32_t i = 0; i < options->nameCount; ++i) {
        const HostName& name = options->names[i];
        Host().names[{name.address, name.type}] = name.text;
    }
}

static int32_t LoadPluginInto(HostWindow* state, HostPlugin* plugin) {
    char path[MAX_PATH];
    if (BuiltFilePath(PLUGIN_FILE, path, sizeof path) != 0) return HOST_PLUGIN_NOT_LOADED;
    const int32_t loaded = LoadHostPlugin(path, state->window, plugin);
    if (loaded != HOST_PLUGIN_LOADED) {
        fprintf(stderr, "ollydbg.exe: %s: %s (error %lu)\n", path, HostPluginProblem(loaded), plugin->loadError);
        return loaded;
    }
    HMENU bar = CreateMenu();
    HMENU plugins = CreatePopupMenu();
    if (plugin->hasMenu == 1 && AddPluginMenu(plugins, plugin->name, plugin->menu) < 0) {
        fprintf(stderr, "ollydbg.exe: cannot read the menu text \"%s\"\n", plugin->menu);
    }
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(plugins), "&Plugins");
    SetMenu(state->window, bar);
    state->action = plugin->action;
    return HOST_PLUGIN_LOADED;
}

int main(int argc, char** argv) {
    static HostOptions options;
    char error[256];
    if (ParseHostOptions(argc, argv, &options, error, sizeof error) != 0) {
        fprintf(stderr, "ollydbg.exe: %s\n%s", error, HOST_USAGE);
        return HOST_EXIT_USAGE;
    }
    HostReset();
    Host().status = options.status;
    SeedNames(&options);

    static HostWindow state;
    static HostPlugin plugin;
    static HostScript script;
    state.quitOnDestroy = 1;
    if (CreateHostWindow(&state, "Vorlane stand-in host") == nullptr) return HOST_EXIT_NO_PLUGIN;
    if (LoadPluginInto(&state, &plugin) != HOST_PLUGIN_LOADED) return HOST_EXIT_NO_PLUGIN;
    ShowWindow(state.window, SW_SHOWNORMAL);
    // Probes every 5 ms: a steady rate well inside one 10 ms tick.
    if (options.measure == 1) StartLoadMeasure(plugin.module, state.window, 5);
    if (IsScriptedRun(&options)) {
        ScriptInit(&script, &options);
        state.script = &script;
        PostMessageA(state.window, WM_HOST_NEXT_STEP, 0, 0);
    }
    return RunHostMessageLoop();
}
