// Vorlane's entry points called as the debugger calls them, with the DLL
// bound by name to this program's services (it runs as ollydbg.exe).
#include "built_dll.h"
#include "host_plugin.h"
#include "host_state.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

typedef void (*NoResultEntry)(void);
typedef int32_t (*ResultEntry)(void);

const char MENU_TEXT[] = "0 &Run|1 &Help,2 &About";

HMODULE Vorlane() {
    static HMODULE module = LoadBuiltDll("Vorlane.dll");
    return module;
}

BOOL CALLBACK CountVisibleWindowOfThisProcess(HWND window, LPARAM counter) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window)) ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

int VisibleWindowsOfThisProcess() {
    int count = 0;
    EnumWindows(CountVisibleWindowOfThisProcess, reinterpret_cast<LPARAM>(&count));
    return count;
}

bool HostUntouched() {
    const HostState& host = Host();
    return host.log.empty() && host.broadcasts.empty() && host.deletions.empty() && host.names.empty() &&
           host.statusQueries == 0 && host.insertions == 0;
}

class EntryPoints : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(Vorlane(), nullptr) << "LoadLibrary error " << GetLastError();
        HostReset();
    }
    template <typename Entry>
    Entry Find(const char* name) {
        Entry entry = FindEntry<Entry>(Vorlane(), name);
        EXPECT_NE(entry, nullptr) << name;
        return entry;
    }
};

TEST_F(EntryPoints, EveryNameHasItsOrdinal) {
    const char* names[] = {"_ODBG_Plugininit",     "_ODBG_Plugindata",    "_ODBG_Pluginmenu",
                           "_ODBG_Pluginaction",   "_ODBG_Pluginmainloop", "_ODBG_Pluginsaveudd",
                           "_ODBG_Pluginuddrecord", "_ODBG_Pluginshortcut", "_ODBG_Pluginreset",
                           "_ODBG_Pluginclose",    "_ODBG_Plugindestroy", "_ODBG_Plugincmd"};
    for (int ordinal = 1; ordinal <= 12; ++ordinal) {
        const char* name = names[ordinal - 1];
        FARPROC byName = GetProcAddress(Vorlane(), name);
        EXPECT_NE(byName, nullptr) << name;
        EXPECT_EQ(GetProcAddress(Vorlane(), MAKEINTRESOURCEA(ordinal)), byName) << name << " @" << ordinal;
    }
    EXPECT_EQ(GetProcAddress(Vorlane(), MAKEINTRESOURCEA(13)), nullptr);
}

TEST_F(EntryPoints, InitChecksTheVersionThenLogsTwoLines) {
    auto init = Find<PluginInitEntry>("_ODBG_Plugininit");
    struct Case {
        int32_t version;
        int32_t result;
    };
    const Case cases[] = {{109, -1}, {-1, -1}, {INT32_MIN, -1}, {0, -1}, {110, 0}, {111, 0}, {INT32_MAX, 0}};
    for (const Case& c : cases) {
        HostReset();
        EXPECT_EQ(init(c.version, GetDesktopWindow(), nullptr), c.result) << "version " << c.version;
        if (c.result != 0) {
            EXPECT_TRUE(HostUntouched()) << "version " << c.version;
            continue;
        }
        const auto& log = Host().log;
        ASSERT_EQ(log.size(), 2u) << "version " << c.version;
        EXPECT_EQ(log[0].address, 0);
        EXPECT_EQ(log[0].highlight, 0);
        EXPECT_EQ(log[0].text, "Vorlane Loading Plugin v1.0");
        EXPECT_EQ(log[1].address, 0);
        EXPECT_EQ(log[1].highlight, -1);
        EXPECT_EQ(log[1].text, "Written by: Kestrova");
        EXPECT_EQ(Host().statusQueries, 0);
    }
}

TEST_F(EntryPoints, DataCopiesTheNameAndGivesTheVersion) {
    auto data = Find<PluginDataEntry>("_ODBG_Plugindata");
    char name[HOST_PLUGIN_NAME_CAPACITY];
    memset(name, 'x', sizeof name);
    EXPECT_EQ(data(name), 110);
    EXPECT_STREQ(name, "Vorlane");
    EXPECT_EQ(std::string(name + 8, sizeof name - 8), std::string(sizeof name - 8, 'x')) << "wrote past the name";
    EXPECT_EQ(data(nullptr), 110);
    EXPECT_TRUE(HostUntouched());
}

TEST_F(EntryPoints, MenuGivesItsTextOnlyForTheMainMenu) {
    auto menu = Find<PluginMenuEntry>("_ODBG_Pluginmenu");
    char buffer[HOST_MENU_TEXT_CAPACITY];
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(menu(0, buffer, nullptr), 1);
    EXPECT_EQ(strlen(buffer), 23u);
    EXPECT_EQ(std::string(buffer, 24), std::string(MENU_TEXT, 24)) << "text and terminator";
    EXPECT_EQ(buffer[24], 'x') << "wrote past the terminator";

    for (int32_t origin : {1, 2, -1, 31, INT32_MIN}) {
        memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(menu(origin, buffer, nullptr), 0) << "origin " << origin;
        EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, 'x')) << "origin " << origin;
    }
    EXPECT_EQ(menu(0, nullptr, nullptr), 1);
    EXPECT_TRUE(HostUntouched());
}

TEST_F(EntryPoints, ActionIgnoresOtherOriginsAndActions) {
    auto action = Find<PluginActionEntry>("_ODBG_Pluginaction");
    struct Case {
        int32_t origin;
        int32_t action;
    };
    const Case cases[] = {{1, 0}, {1, 1}, {1, 2}, {-1, 0}, {INT32_MIN, 0}, {3, 2},
                          {0, 3}, {0, -1}, {0, 63}, {0, INT32_MAX}, {0, INT32_MIN}};
    const int windowsBefore = VisibleWindowsOfThisProcess();
    for (const Case& c : cases) {
        action(c.origin, c.action, nullptr);
        EXPECT_TRUE(HostUntouched()) << "origin " << c.origin << " action " << c.action;
        EXPECT_EQ(VisibleWindowsOfThisProcess(), windowsBefore) << "origin " << c.origin << " action " << c.action;
    }
}

TEST_F(EntryPoints, TheEightOthersDoNothing) {
    const char* noResult[] = {"_ODBG_Pluginmainloop", "_ODBG_Pluginsaveudd", "_ODBG_Pluginreset",
                              "_ODBG_Plugindestroy"};
    const char* withResult[] = {"_ODBG_Pluginuddrecord", "_ODBG_Pluginshortcut", "_ODBG_Pluginclose",
                                "_ODBG_Plugincmd"};
    const int windowsBefore = VisibleWindowsOfThisProcess();
    for (const char* name : noResult) {
        NoResultEntry entry = Find<NoResultEntry>(name);
        if (entry != nullptr) entry();
        EXPECT_TRUE(HostUntouched()) << name;
    }
    for (const char* name : withResult) {
        ResultEntry entry = Find<ResultEntry>(name);
        if (entry != nullptr) {
            EXPECT_EQ(entry(), 0) << name;
        }
        EXPECT_TRUE(HostUntouched()) << name;
    }
    EXPECT_EQ(VisibleWindowsOfThisProcess(), windowsBefore);
}

}  // namespace
