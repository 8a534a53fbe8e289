// 32-bit only: there the caller and the callee must agree on who removes
// the arguments, and a mismatch leaves the stack pointer off. (On x86-64
// there is one convention, so the build leaves this file out.)
#include "built_dll.h"
#include "host_plugin.h"
#include "host_state.h"
#include "stack_check.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

extern "C" int32_t __stdcall StdcallSum(int32_t a, int32_t b, int32_t c) { return a + b + c; }
extern "C" int32_t __cdecl CdeclSum(int32_t a, int32_t b, int32_t c) { return a + b + c; }

TEST(StackCheck32, TellsAConventionMismatchFromAMatch) {
    ASSERT_TRUE(StackIsChecked());
    const uintptr_t arguments[] = {1, 2, 3};
    uintptr_t result = 0;
    EXPECT_EQ(StackCheckedCall(reinterpret_cast<const void*>(CdeclSum), STACK_CDECL, arguments, 3, &result), 0);
    EXPECT_EQ(result, 6u);
    EXPECT_EQ(StackCheckedCall(reinterpret_cast<const void*>(StdcallSum), STACK_STDCALL, arguments, 3, &result), 0);
    EXPECT_EQ(result, 6u);
    EXPECT_EQ(StackCheckedCall(reinterpret_cast<const void*>(StdcallSum), STACK_CDECL, arguments, 3, nullptr), 12);
    EXPECT_EQ(StackCheckedCall(reinterpret_cast<const void*>(CdeclSum), STACK_STDCALL, arguments, 3, nullptr), -12);
}

const void* Export(HMODULE module, const char* name) {
    return reinterpret_cast<const void*>(GetProcAddress(module, name));
}

// Every entry point leaves its arguments to the host, whatever the host
// passes; those that take none in their contract get four all the same.
TEST(StackCheck32, EveryEntryPointOfTheReleaseLeavesTheArgumentsToTheHost) {
    HMODULE vorlane = LoadBuiltDll("Vorlane.dll");
    ASSERT_NE(vorlane, nullptr) << "LoadLibrary error " << GetLastError();
    HostReset();
    char name[HOST_PLUGIN_NAME_CAPACITY];
    char menu[HOST_MENU_TEXT_CAPACITY];
    struct Case {
        const char* entry;
        uintptr_t arguments[4];
        int32_t count;
    };
    const Case cases[] = {
        {"_ODBG_Plugindata", {reinterpret_cast<uintptr_t>(name)}, 1},
        {"_ODBG_Plugininit", {110, reinterpret_cast<uintptr_t>(GetDesktopWindow()), 0}, 3},
        {"_ODBG_Pluginmenu", {0, reinterpret_cast<uintptr_t>(menu), 0}, 3},
        {"_ODBG_Pluginaction", {1, 0, 0}, 3},
        {"_ODBG_Pluginmainloop", {0, 0, 0, 0}, 4},
        {"_ODBG_Pluginsaveudd", {0, 0, 0, 0}, 4},
        {"_ODBG_Pluginuddrecord", {0, 0, 0, 0}, 4},
        {"_ODBG_Pluginshortcut", {0, 0, 0, 0}, 4},
        {"_ODBG_Pluginreset", {0, 0, 0, 0}, 4},
        {"_ODBG_Pluginclose", {0, 0, 0, 0}, 4},
        {"_ODBG_Plugincmd", {0, 0, 0, 0}, 4},
        {"_ODBG_Plugindestroy", {0, 0, 0, 0}, 4},
    };
    for (const Case& c : cases) {
        const void* entry = Export(vorlane, c.entry);
        ASSERT_NE(entry, nullptr) << c.entry;
        EXPECT_EQ(StackCheckedCall(entry, STACK_CDECL, c.arguments, c.count, nullptr), 0) << c.entry;
    }
    EXPECT_EQ(Host().log.size(), 2u) << "the start-up call ran";
}

// Quessel's handlers remove exactly their own arguments, and the record
// handler's call back into this ollydbg.exe leaves the stack as it was.
TEST(StackCheck32, QuesselsHandlersRemoveTheirOwnArguments) {
    HMODULE quessel = LoadBuiltDll("Quessel.dll");
    ASSERT_NE(quessel, nullptr) << "LoadLibrary error " << GetLastError();
    HostReset();
    char record[] = "00401000 _main";
    char previous[2] = "";
    char current[2] = "\t";
    const uintptr_t recordArguments[] = {sizeof record - 1, reinterpret_cast<uintptr_t>(record)};
    const uintptr_t characterArguments[] = {2, reinterpret_cast<uintptr_t>(previous), 2,
                                            reinterpret_cast<uintptr_t>(current)};
    uintptr_t result = 1;
    EXPECT_EQ(StackCheckedCall(Export(quessel, "MAPFilePerRecordHandler"), STACK_STDCALL, recordArguments, 2, &result),
              0);
    EXPECT_EQ(result, 0u);
    result = 1;
    EXPECT_EQ(StackCheckedCall(Export(quessel, "MAPFilePerCharacterHandler"), STACK_STDCALL, characterArguments, 4,
                               &result),
              0);
    EXPECT_EQ(result, 0u);
    EXPECT_STREQ(current, " ");
    const auto labels = HostNamesOfType(49);
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(labels[0].first, 0x401000u);
    EXPECT_EQ(labels[0].second, "_MAIN");
}

}  // namespace
