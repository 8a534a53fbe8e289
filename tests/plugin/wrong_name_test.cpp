// The DLLs bind the host's services by name from a module called
// ollydbg.exe: in a program of another name that exports every one of
// them, the loader refuses both before any of their code runs.
#include "built_dll.h"
#include "host_state.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST(WrongHostName, NeitherDllLoads) {
    for (const char* name : {"Vorlane.dll", "Quessel.dll"}) {
        HostReset();
        SetLastError(0);
        EXPECT_EQ(LoadBuiltDll(name), nullptr) << name;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND)) << name;
        EXPECT_EQ(GetModuleHandleA(name), nullptr) << name << " stayed loaded";
        EXPECT_TRUE(Host().log.empty()) << name;
    }
}

}  // namespace
