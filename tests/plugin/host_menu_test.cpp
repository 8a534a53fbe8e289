// The stand-in host's menu: parsed from a plug-in's menu text, built on a
// real window, and clicks on it handed to the plug-in's action entry.
#include "built_dll.h"
#include "host_menu.h"
#include "host_plugin.h"
#include "host_state.h"
#include "host_window.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

std::string Describe(const HostMenuEntry* entries, int32_t count) {
    std::string text;
    for (int32_t i = 0; i < count; ++i) {
        if (!text.empty()) text += ' ';
        text += entries[i].separator == 1 ? std::string("-") : std::to_string(entries[i].action) + ":" + entries[i].label;
    }
    return text;
}

TEST(HostMenuText, SplitsItemsAtCommasAndBars) {
    struct Case {
        const char* text;
        int32_t count;
        const char* entries;
    };
    const Case cases[] = {
        {"0 &Run|1 &Help,2 &About", 4, "0:&Run - 1:&Help 2:&About"},
        {"", 0, ""},
        {"7 One item", 1, "7:One item"},
        {"  12   spaced,3 b", 2, "12:spaced 3:b"},
        {"0 a||1 b", -1, ""},
        {"999 last", 1, "999:last"},
        {"1000 too big", -1, ""},
        {"x no number", -1, ""},
        {"0", -1, ""},
        {"0 a,,1 b", -1, ""},
        {"0 a,", -1, ""},
    };
    for (const Case& c : cases) {
        HostMenuEntry entries[8];
        const int32_t count = ParseMenuText(c.text, entries, 8);
        EXPECT_EQ(count, c.count) << '"' << c.text << '"';
        if (count >= 0) {
            EXPECT_EQ(Describe(entries, count), c.entries) << '"' << c.text << '"';
        }
    }
    HostMenuEntry two[2];
    EXPECT_EQ(ParseMenuText("0 a|1 b", two, 2), -1) << "three entries in room for two";
    EXPECT_EQ(ParseMenuText(nullptr, two, 2), -1);
}

std::string VorlaneMenuText() {
    HMODULE vorlane = LoadBuiltDll("Vorlane.dll");
    auto menu = FindEntry<PluginMenuEntry>(vorlane, "_ODBG_Pluginmenu");
    char text[HOST_MENU_TEXT_CAPACITY] = "";
    if (menu == nullptr || menu(HOST_ORIGIN_MAIN_MENU, text, nullptr) != 1) return "";
    return text;
}

std::string ItemText(HMENU menu, int position) {
    char text[HOST_MENU_LABEL_CAPACITY] = "";
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

TEST(HostMenu, VorlanesMenuIsRunSeparatorHelpAbout) {
    const std::string text = VorlaneMenuText();
    ASSERT_FALSE(text.empty());
    HMENU bar = CreateMenu();
    EXPECT_EQ(AddPluginMenu(bar, "Vorlane", text.c_str()), 3);
    ASSERT_EQ(GetMenuItemCount(bar), 1);
    HMENU popup = GetSubMenu(bar, 0);
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(GetMenuItemCount(popup), 4);
    EXPECT_EQ(ItemText(popup, 0), "&Run");
    EXPECT_EQ(GetMenuItemID(popup, 0), CommandOfAction(0));
    EXPECT_NE(GetMenuState(popup, 1, MF_BYPOSITION) & MF_SEPARATOR, 0u);
    EXPECT_EQ(ItemText(popup, 2), "&Help");
    EXPECT_EQ(GetMenuItemID(popup, 2), CommandOfAction(1));
    EXPECT_EQ(ItemText(popup, 3), "&About");
    EXPECT_EQ(GetMenuItemID(popup, 3), CommandOfAction(2));
    EXPECT_EQ(FindMenuCommand(bar, "About"), CommandOfAction(2));
    EXPECT_EQ(FindMenuCommand(bar, "Quit"), 0u);
    DestroyMenu(bar);
}

struct ActionCall {
    int32_t origin;
    int32_t action;
    void* item;
    bool operator==(const ActionCall& other) const {
        return origin == other.origin && action == other.action && item == other.item;
    }
};

std::vector<ActionCall>& ActionCalls() {
    static std::vector<ActionCall> calls;
    return calls;
}

void RecordAction(int32_t origin, int32_t action, void* item) { ActionCalls().push_back({origin, action, item}); }

void ServeQueuedMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

TEST(HostMenu, AClickOnEachItemReachesTheActionWithItsCode) {
    HostWindow state = {};
    state.action = RecordAction;
    ASSERT_NE(CreateHostWindow(&state, "menu test"), nullptr);
    HMENU bar = CreateMenu();
    ASSERT_EQ(AddPluginMenu(bar, "Vorlane", VorlaneMenuText().c_str()), 3);
    SetMenu(state.window, bar);
    ActionCalls().clear();
    for (const char* label : {"Run", "Help", "About"}) {
        const UINT command = FindMenuCommand(GetMenu(state.window), label);
        ASSERT_NE(command, 0u) << label;
        PostMessageA(state.window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
        ServeQueuedMessages();
    }
    // Commands that are no plug-in item reach nothing.
    PostMessageA(state.window, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    ServeQueuedMessages();
    EXPECT_EQ(ActionCalls(), (std::vector<ActionCall>{{0, 0, nullptr}, {0, 1, nullptr}, {0, 2, nullptr}}));
    DestroyWindow(state.window);
    EXPECT_EQ(state.window, nullptr);
}

}  // namespace
