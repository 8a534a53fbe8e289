// The Run command end to end: Vorlane.dll loaded into this program, which
// is named ollydbg.exe and exports the host's services, so the plug-in
// binds to them as it would in the debugger. The robot answers the dialogs.
#include "built_dll.h"
#include "host_state.h"
#include "robot.h"
#include "stream_test_files.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

typedef void (*PluginAction)(int32_t origin, int32_t action, void* item);

const char FILE_DIALOG_TITLE[] = "Select MAP File";
const char LOADER_CAPTION[] = "Vorlane Loader";

PluginAction RunAction() {
    static PluginAction action = nullptr;
    if (action != nullptr) return action;
    HMODULE plugin = LoadBuiltDll("Vorlane.dll");
    if (plugin == nullptr) return nullptr;
    action = reinterpret_cast<PluginAction>(reinterpret_cast<void*>(GetProcAddress(plugin, "_ODBG_Pluginaction")));
    return action;
}

using Names = std::vector<std::pair<uint32_t, std::string>>;

// Names that must survive a run untouched, and two old user labels.
void SeedNames() {
    HostReset();
    Host().names[{0x1000, 49}] = "OLD_LABEL";
    Host().names[{0x77000000, 49}] = "OLD_HIGH";
    Host().names[{0x1000, 50}] = "a comment";
    Host().names[{0x401000, 33}] = "an export";
}

std::map<std::pair<uint32_t, int32_t>, std::string> SeededNames() {
    SeedNames();
    return Host().names;
}

Names OtherTypes() {
    Names other;
    for (const auto& entry : Host().names) {
        if (entry.first.second != 49) other.push_back({entry.first.first, entry.second});
    }
    return other;
}

// Runs the Run command with the robot answering the file dialog: with
// path, or with Cancel when path is null.
RobotTask RunChoosing(const char* path) {
    RobotTask dialog;
    RobotInit(&dialog, FILE_DIALOG_TITLE, path != nullptr ? ROBOT_CHOOSE_FILE : ROBOT_CANCEL);
    if (path != nullptr) lstrcpynA(dialog.fileName, path, sizeof dialog.fileName);
    RobotStart(&dialog);
    RunAction()(0, 0, nullptr);
    RobotFinish(&dialog);
    return dialog;
}

class RunCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(RunAction(), nullptr) << "Vorlane.dll did not load";
        folder = MakeTestFolder("run");
        ASSERT_FALSE(folder.path.empty()) << "error " << GetLastError();
        SeedNames();
    }
    void TearDown() override { RemoveTestFolder(folder); }

    // Checks that nothing but the status query and the dialog happened.
    void ExpectHostUntouched() {
        EXPECT_EQ(Host().names, SeededNames());
        EXPECT_TRUE(Host().deletions.empty());
        EXPECT_TRUE(Host().broadcasts.empty());
    }

    TestFolder folder;
};

TEST_F(RunCommand, StatusOtherThanOneOrTwoShowsTheMessageAndNothingElse) {
    for (int32_t status : {0, 3, -1, 1140}) {
        SeedNames();
        Host().status = status;
        RobotTask message;
        RobotInit(&message, LOADER_CAPTION, ROBOT_PRESS);
        message.button = IDOK;
        RobotTask dialog;
        RobotInit(&dialog, FILE_DIALOG_TITLE, ROBOT_CANCEL);
        RobotStart(&message);
        RobotStart(&dialog);
        RunAction()(0, 0, nullptr);
        EXPECT_TRUE(RobotFinish(&message)) << "status " << status;
        EXPECT_STREQ(message.text, "There is nothing to Label");
        // The action has returned: a dialog can no longer appear.
        EXPECT_FALSE(RobotStop(&dialog)) << "a file dialog opened for status " << status;
        EXPECT_EQ(Host().statusQueries, 1);
        ExpectHostUntouched();
    }
}

TEST_F(RunCommand, StatusOneAndTwoReachTheDialogAndCancelTouchesNothing) {
    for (int32_t status : {1, 2}) {
        SeedNames();
        Host().status = status;
        RobotTask dialog = RunChoosing(nullptr);
        EXPECT_NE(dialog.window, nullptr) << "no dialog for status " << status;
        ExpectHostUntouched();
    }
}

TEST_F(RunCommand, DialogStartsInTheCurrentDirectoryAndLeavesIt) {
    char saved[MAX_PATH];
    GetCurrentDirectoryA(sizeof saved, saved);
    const std::string start = folder.path.substr(0, folder.path.size() - 1);
    for (const std::string& current : {start, std::string("C:\\")}) {
        ASSERT_TRUE(SetCurrentDirectoryA(current.c_str()));
        const std::string map = WriteTestFile(folder, "one.map", "00401000 one\r\n");
        RobotTask dialog = RunChoosing(map.c_str());
        std::string expected = current;
        if (expected.back() != '\\') expected += '\\';
        std::string shown = dialog.folder;
        if (shown.empty() || shown.back() != '\\') shown += '\\';
        EXPECT_STREQ(dialog.fileField, "*.map") << "in " << current;
        CharUpperA(&shown[0]);
        CharUpperA(&expected[0]);
        EXPECT_EQ(shown, expected);
        char after[MAX_PATH];
        GetCurrentDirectoryA(sizeof after, after);
        EXPECT_STREQ(after, current.c_str());
        EXPECT_EQ(HostNamesOfType(49), (Names{{0x401000, "ONE"}}));
    }
    SetCurrentDirectoryA(saved);
}

TEST_F(RunCommand, FilesThatCannotBeOpenedEndTheRunSilently) {
    const std::string empty = WriteTestFile(folder, "empty.map", "");
    const std::string locked = WriteTestFile(folder, "locked.map", "00401000 locked\n");
    HANDLE holder = CreateFileA(locked.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const std::string missing = folder.path + "missing.map";
    for (const std::string& path : {missing, empty, locked}) {
        SeedNames();
        RobotTask dialog = RunChoosing(path.c_str());
        EXPECT_NE(dialog.window, nullptr);
        EXPECT_FALSE(dialog.leftOpen) << path;
        ExpectHostUntouched();
    }
    CloseHandle(holder);
}

TEST_F(RunCommand, DirectoryTypedInTheDialogIsEnteredNotLoaded) {
    // The dialog opens a typed folder instead of returning it, so the run
    // can only end there, with the cancel.
    const std::string directory = folder.path.substr(0, folder.path.size() - 1);
    RobotTask dialog = RunChoosing(directory.c_str());
    EXPECT_TRUE(dialog.leftOpen);
    ExpectHostUntouched();
}

TEST_F(RunCommand, MapFileReplacesEveryUserLabel) {
    const std::string map = WriteTestFile(folder, "app.map",
        " Start         Length     Name                   Class\r\n"
        "\r\n"
        "00401000 _main\r\n"
        "0040100a\tlower_hex\r\n"
        "00402000                              _alternate column\r\n"
        "00000000 zero address\r\n"
        "         no address\r\n"
        "short\r\n"
        "00403000 last line without an end");
    RobotTask dialog = RunChoosing(map.c_str());
    ASSERT_NE(dialog.window, nullptr);
    const Names expected = {
        {0x401000, "_MAIN"},
        {0x40100A, "LOWER_HEX"},
        {0x402000, "_ALTERNATE COLUMN"},
        {0x403000, "LAST LINE WITHOUT AN END"},
    };
    Names labels = HostNamesOfType(49);
    // The header line is a MAP line like any other: its first columns read
    // as hexadecimal by the same formula; only the lines above must be there.
    for (const auto& label : expected) {
        EXPECT_NE(std::find(labels.begin(), labels.end(), label), labels.end()) << label.second;
    }
    for (const auto& label : labels) {
        EXPECT_EQ(label.second.find_first_of("abcdefghijklmnopqrstuvwxyz"), std::string::npos) << label.second;
        EXPECT_NE(label.second, "OLD_LABEL");
    }
    EXPECT_EQ(labels.size(), expected.size() + 1);
    EXPECT_EQ(OtherTypes(), (Names{{0x1000, "a comment"}, {0x401000, "an export"}}));
    ASSERT_EQ(Host().deletions.size(), 1u);
    EXPECT_EQ(Host().deletions[0].first, 0u);
    EXPECT_EQ(Host().deletions[0].last, 0xFFFFFFFFu);
    EXPECT_EQ(Host().deletions[0].type, 49);
    ASSERT_EQ(Host().broadcasts.size(), 1u);
    EXPECT_EQ(Host().broadcasts[0].message, 1140u);
    EXPECT_EQ(Host().broadcasts[0].first, 0u);
    EXPECT_EQ(Host().broadcasts[0].second, 0u);
    EXPECT_TRUE(NobodyHolds(map));
}

TEST_F(RunCommand, FileWithoutGoodLinesClearsLabelsAndStillRedraws) {
    const std::string map = WriteTestFile(folder, "junk.map", "short\r\n00000000 zero\r\n\t\t\t\t\r\n         x\r\n");
    RunChoosing(map.c_str());
    EXPECT_TRUE(HostNamesOfType(49).empty());
    EXPECT_EQ(OtherTypes().size(), 2u);
    EXPECT_EQ(Host().broadcasts.size(), 1u);
}

// What users feed the loader by mistake: each has a defined outcome.
TEST_F(RunCommand, MistakenFilesLoadWhatTheyCanAndEnd) {
    struct Case {
        const char* name;
        std::string bytes;
        Names labels;
    };
    std::string binary;
    for (int i = 0; i < 20000; ++i) binary.push_back(static_cast<char>((i * 7919) & 0xFF));
    const std::string longLine = "00401000 " + std::string(3000, 'x') + "\n00402000 after\n";
    const Case cases[] = {
        {"long.map", "00400000 before\n" + longLine, {{0x400000, "BEFORE"}, {0x401000, std::string(254, 'X')}}},
        {"nulbyte.map", std::string("00401000 a\0b\r\n00402000 c\n", 25), {{0x401000, "A"}, {0x402000, "C"}}},
        {"cr.map", "00401000 one\r00402000 two\r", {{0x401000, "ONE00402000 TWO"}}},
    };
    for (const Case& c : cases) {
        SeedNames();
        const std::string map = WriteTestFile(folder, c.name, c.bytes);
        RunChoosing(map.c_str());
        EXPECT_EQ(HostNamesOfType(49), c.labels) << c.name;
        EXPECT_EQ(Host().broadcasts.size(), 1u) << c.name;
        EXPECT_TRUE(NobodyHolds(map)) << c.name;
    }
    SeedNames();
    const std::string map = WriteTestFile(folder, "binary.map", binary);
    RunChoosing(map.c_str());
    EXPECT_EQ(Host().broadcasts.size(), 1u);
    EXPECT_TRUE(NobodyHolds(map));
    for (const auto& label : HostNamesOfType(49)) {
        EXPECT_FALSE(label.second.empty());
        EXPECT_LE(label.second.size(), 254u);
        EXPECT_NE(label.first, 0u);
    }
}

// A window of the test's own, served by the plug-in's loop during a load,
// that starts a second Run or quits at its first tick in the load.
enum { TIMER_RUN_AGAIN = 1, TIMER_QUIT = 2 };
std::string secondPath;
RobotTask secondDialog;
bool secondRunDone = false;

LRESULT CALLBACK NestedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_TIMER) return DefWindowProcA(window, message, wParam, lParam);
    // Act only once the load is under way: the old labels are gone then.
    if (Host().deletions.empty()) return 0;
    KillTimer(window, wParam);
    if (wParam == TIMER_QUIT) {
        PostQuitMessage(7);
        return 0;
    }
    RobotInit(&secondDialog, FILE_DIALOG_TITLE, ROBOT_CHOOSE_FILE);
    lstrcpynA(secondDialog.fileName, secondPath.c_str(), sizeof secondDialog.fileName);
    RobotStart(&secondDialog);
    RunAction()(0, 0, nullptr);
    RobotFinish(&secondDialog);
    secondRunDone = true;
    return 0;
}

HWND MakeTimerWindow(UINT_PTR timer) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = NestedProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "RunTestTimer";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("RunTestTimer", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
    SetTimer(window, timer, 20, nullptr);
    return window;
}

std::string ManyLines(int count, uint32_t base) {
    std::string text;
    char line[64];
    for (int i = 0; i < count; ++i) {
        snprintf(line, sizeof line, "%08X name_%d\r\n", base + static_cast<uint32_t>(i) * 4, i);
        text += line;
    }
    return text;
}

TEST_F(RunCommand, RunDuringALoadIsRefusedAtTheOpen) {
    const int lines = 60000;  // about 1.3 MB: well over a hundred ticks
    const std::string first = WriteTestFile(folder, "first.map", ManyLines(lines, 0x10000000));
    secondPath = WriteTestFile(folder, "second.map", "00500000 second\n");
    secondRunDone = false;
    HWND timer = MakeTimerWindow(TIMER_RUN_AGAIN);
    RunChoosing(first.c_str());
    DestroyWindow(timer);
    EXPECT_TRUE(secondRunDone);
    EXPECT_NE(secondDialog.window, nullptr);
    const Names labels = HostNamesOfType(49);
    EXPECT_EQ(labels.size(), static_cast<size_t>(lines));
    EXPECT_EQ(Host().names.count({0x500000, 49}), 0u);
    EXPECT_EQ(Host().deletions.size(), 1u);
    EXPECT_EQ(Host().broadcasts.size(), 1u);
    EXPECT_EQ(Host().statusQueries, 2);
}

TEST_F(RunCommand, QuitDuringALoadEndsItWithTheFileClosed) {
    const std::string map = WriteTestFile(folder, "quit.map", ManyLines(60000, 0x10000000));
    HWND timer = MakeTimerWindow(TIMER_QUIT);
    RunChoosing(map.c_str());
    DestroyWindow(timer);
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);
    EXPECT_TRUE(NobodyHolds(map));
    EXPECT_LT(HostNamesOfType(49).size(), 60000u);
    EXPECT_EQ(Host().broadcasts.size(), 1u);
}

}  // namespace
