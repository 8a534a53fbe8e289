// The stand-in host's main window with the real Vorlane.dll: the log pane
// and the Names list read back through their own controls' messages. This
// program is named ollydbg.exe and exports the host's services, so the
// plug-in binds to them as it would in the debugger.
#include "built_dll.h"
#include "host_plugin.h"
#include "host_state.h"
#include "host_window.h"
#include "robot.h"
#include "stream_test_files.h"

#include "host/host_services.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <stdio.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;  // address text, name

std::string ItemText(HWND list, int row, int column) {
    char text[1024] = "";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

// What the Names list shows, asked of the list-view itself.
Rows ShownRows(HWND list) {
    Rows rows;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) rows.push_back({ItemText(list, row, 0), ItemText(list, row, 1)});
    return rows;
}

// The host's labels as the list should show them.
Rows TableRows() {
    Rows rows;
    for (const auto& label : HostNamesOfType(NAME_TYPE_LABEL)) {
        char address[16];
        snprintf(address, sizeof address, "%08X", static_cast<unsigned>(label.first));
        rows.push_back({address, label.second});
    }
    return rows;
}

std::vector<std::string> LogPaneLines(HWND log) {
    std::vector<std::string> lines;
    const int count = static_cast<int>(SendMessageA(log, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::string line(static_cast<size_t>(SendMessageA(log, LB_GETTEXTLEN, i, 0)) + 1, '\0');
        SendMessageA(log, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&line[0]));
        line.resize(line.size() - 1);
        lines.push_back(line);
    }
    return lines;
}

std::string StatusText(HWND status) {
    char text[256] = "";
    if (LOWORD(SendMessageA(status, SB_GETTEXTLENGTHA, 0, 0)) < sizeof text) {
        SendMessageA(status, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    }
    return text;
}

RECT ChildRect(HWND parent, int id) {
    RECT box = {};
    GetWindowRect(GetDlgItem(parent, id), &box);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&box), 2);
    return box;
}

void Paint(HWND window) { RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN); }

class HostView : public ::testing::Test {
protected:
    void SetUp() override {
        HostReset();
        ASSERT_NE(CreateHostWindow(&state, "Vorlane stand-in host"), nullptr);
        ShowWindow(state.window, SW_SHOWNORMAL);
        names = GetDlgItem(state.window, HOST_NAMES_ID);
        log = GetDlgItem(state.window, HOST_LOG_ID);
        ASSERT_NE(names, nullptr);
        ASSERT_NE(log, nullptr);
        char path[MAX_PATH];
        ASSERT_EQ(BuiltFilePath("Vorlane.dll", path, sizeof path), 0);
        ASSERT_EQ(LoadHostPlugin(path, state.window, &plugin), HOST_PLUGIN_LOADED);
    }
    void TearDown() override {
        if (state.window != nullptr) DestroyWindow(state.window);
        if (plugin.module != nullptr) FreeLibrary(plugin.module);
    }

    // Runs the Run command with the robot choosing path in the file dialog.
    void RunChoosing(const std::string& path) {
        RobotTask dialog;
        RobotInit(&dialog, "Select MAP File", ROBOT_CHOOSE_FILE);
        lstrcpynA(dialog.fileName, path.c_str(), sizeof dialog.fileName);
        RobotStart(&dialog);
        plugin.action(HOST_ORIGIN_MAIN_MENU, 0, nullptr);
        EXPECT_TRUE(RobotFinish(&dialog)) << "no file dialog";
    }

    HostWindow state = {};
    HostPlugin plugin = {};
    HWND names = nullptr;
    HWND log = nullptr;
};

TEST_F(HostView, TheLogPaneShowsEachLineAsItArrives) {
    EXPECT_EQ(LogPaneLines(log), (std::vector<std::string>{"Vorlane Loading Plugin v1.0", "Written by: Kestrova"}));
    _Addtolist(0x401000, 1, "a third line");
    EXPECT_EQ(LogPaneLines(log),
              (std::vector<std::string>{"Vorlane Loading Plugin v1.0", "Written by: Kestrova", "a third line"}));
}

TEST_F(HostView, AfterARunTheNamesListHoldsTheTableByAddress) {
    Host().names[{0x1000, 49}] = "OLD_LABEL";
    Host().names[{0x401000, 50}] = "a comment";
    EXPECT_TRUE(ShownRows(names).empty()) << "nothing was broadcast yet";
    TestFolder folder = MakeTestFolder("hostview");
    ASSERT_FALSE(folder.path.empty());
    const std::string map = WriteTestFile(folder, "app.map",
                                          "00403000 _third\r\n"
                                          "00401000 _main\r\n"
                                          "0040100a\tlower_hex\r\n"
                                          "FFFFFFF0 top\r\n"
                                          "00402000                              _alternate column\r\n");
    RunChoosing(map);
    RemoveTestFolder(folder);
    const Rows expected = {{"00401000", "_MAIN"},
                           {"0040100A", "LOWER_HEX"},
                           {"00402000", "_ALTERNATE COLUMN"},
                           {"00403000", "_THIRD"},
                           {"FFFFFFF0", "TOP"}};
    EXPECT_EQ(TableRows(), expected) << "the load itself";
    EXPECT_EQ(ShownRows(names), expected);
    EXPECT_EQ(StatusText(GetDlgItem(state.window, HOST_STATUS_ID)), "5 labels at the last redraw");
}

TEST_F(HostView, LabelsInsertedWithoutTheRedrawStayOutOfSight) {
    Host().names[{0x1000, 49}] = "FIRST";
    Host().names[{0x2000, 49}] = "SECOND";
    _Broadcast(HOST_MESSAGE_REDRAW_NAMES, 0, 0);
    const Rows before = {{"00001000", "FIRST"}, {"00002000", "SECOND"}};
    ASSERT_EQ(ShownRows(names), before);

    // The calls of a load, with every message but the redraw.
    _Deletenamerange(0, 0xFFFFFFFF, NAME_TYPE_LABEL);
    Paint(state.window);
    EXPECT_EQ(ShownRows(names), before) << "after the deletion";
    _Insertname(0x3000, NAME_TYPE_LABEL, "THIRD");
    _Insertname(0x500, NAME_TYPE_LABEL, "LOW");
    _Insertname(0x4000, 50, "a comment");
    _Addtolist(0, 0, "a log line");
    _Broadcast(HOST_MESSAGE_REDRAW_NAMES + 1, 0, 0);
    Paint(state.window);
    EXPECT_EQ(ShownRows(names), before) << "before the redraw";

    _Broadcast(HOST_MESSAGE_REDRAW_NAMES, 0, 0);
    EXPECT_EQ(ShownRows(names), (Rows{{"00000500", "LOW"}, {"00003000", "THIRD"}}));
    EXPECT_EQ(ShownRows(names), TableRows());
    EXPECT_EQ(StatusText(GetDlgItem(state.window, HOST_STATUS_ID)), "2 labels at the last redraw");
}

TEST_F(HostView, ThePanesFollowTheWindow) {
    RECT frame;
    GetWindowRect(state.window, &frame);
    EXPECT_LE(frame.right - frame.left, 1024) << "fits a 1024 x 768 screen";
    EXPECT_LE(frame.bottom - frame.top, 768);
    for (const SIZE size : {SIZE{500, 300}, SIZE{1000, 740}, SIZE{700, 500}}) {
        SetWindowPos(state.window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        RECT client;
        GetClientRect(state.window, &client);
        const RECT logBox = ChildRect(state.window, HOST_LOG_ID);
        const RECT namesBox = ChildRect(state.window, HOST_NAMES_ID);
        const RECT statusBox = ChildRect(state.window, HOST_STATUS_ID);
        EXPECT_EQ(logBox.top, 0) << size.cx;
        EXPECT_EQ(logBox.right - logBox.left, client.right) << size.cx;
        EXPECT_EQ(namesBox.right - namesBox.left, client.right) << size.cx;
        EXPECT_GE(namesBox.top, logBox.bottom) << size.cx;
        EXPECT_LE(namesBox.bottom, statusBox.top) << size.cx;
        EXPECT_EQ(statusBox.bottom, client.bottom) << size.cx;
        EXPECT_GT(namesBox.bottom - namesBox.top, logBox.bottom - logBox.top) << size.cx;
    }
}

}  // namespace
