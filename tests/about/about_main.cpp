// The plug-in's sources are linked into this program, so its module is
// the program itself and no DllMain runs: the state is set up here.
#include "plugin/plugin_state.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    InitPluginState(GetModuleHandleA(nullptr));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
