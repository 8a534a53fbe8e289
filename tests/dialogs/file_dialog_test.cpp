#include "dialog_fixture.h"
#include "dialogs/file_dialog.h"
#include "robot.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

const char TITLE[] = "Vorlane dialog test";
const char FILTER[] = "MAP Files *.map|*.map|AllFiles *.*|*.*";
const char BROWSER_TITLE[] = "Browse for Folder";

int32_t RunDialog(char* path, int32_t capacity, uint32_t flags) {
    return FileDialogEx(sizeof TITLE, TITLE, capacity, path, nullptr, flags, FILTER, sizeof FILTER);
}

// Runs the dialog with the robot typing name and pressing OK.
int32_t ChooseFile(char* path, int32_t capacity, uint32_t flags, const std::string& name, RobotTask* robot) {
    RobotInit(robot, TITLE, ROBOT_CHOOSE_FILE);
    strcpy(robot->fileName, name.c_str());
    RobotStart(robot);
    const int32_t result = RunDialog(path, capacity, flags);
    EXPECT_TRUE(RobotFinish(robot));
    return result;
}

TEST(FileDialogEx, OpenDialogStartsInTheFolderAndReturnsTheChoice) {
    const std::string folder = DialogTestFolder();
    char path[517];
    strcpy(path, (folder + "\\\\*.map").c_str());
    RobotTask robot;
    EXPECT_EQ(ChooseFile(path, sizeof path, 0, folder + "\\pick.map", &robot), 1);
    EXPECT_STREQ(path, (folder + "\\pick.map").c_str());
    EXPECT_STREQ(robot.folder, folder.c_str());
    EXPECT_STREQ(robot.fileField, "*.map");
}

TEST(FileDialogEx, ChoiceIsCutToTheCallersCapacity) {
    const std::string folder = DialogTestFolder();
    char path[16];
    memset(path, 'g', sizeof path);
    strcpy(path, "C:\\\\*.map");
    RobotTask robot;
    EXPECT_EQ(ChooseFile(path, 12, 0, folder + "\\pick.map", &robot), 1);
    EXPECT_EQ(std::string(path), (folder + "\\pick.map").substr(0, 11));
    EXPECT_EQ(memcmp(path + 12, "gggg", 4), 0);
}

TEST(FileDialogEx, CancelReturnsZeroAndLeavesTheBuffer) {
    char path[64];
    memset(path, 'g', sizeof path);
    strcpy(path, "C:\\windows\\\\*.map");
    char before[sizeof path];
    memcpy(before, path, sizeof path);
    RobotTask robot;
    RobotInit(&robot, TITLE, ROBOT_CANCEL);
    RobotStart(&robot);
    EXPECT_EQ(RunDialog(path, sizeof path, 18), 0);
    EXPECT_TRUE(RobotFinish(&robot));
    EXPECT_EQ(memcmp(path, before, sizeof path), 0);
}

TEST(FileDialogEx, Flags18AcceptATypedMissingFile) {
    const std::string folder = DialogTestFolder();
    const std::string missing = folder + "\\missing.map";
    DeleteFileA(missing.c_str());
    char path[517];
    strcpy(path, (folder + "\\\\*.map").c_str());
    RobotTask robot;
    EXPECT_EQ(ChooseFile(path, sizeof path, 18, missing, &robot), 1);
    EXPECT_STREQ(path, missing.c_str());
}

TEST(FileDialogEx, Flag2KeepsTheCurrentDirectory) {
    const std::string folder = DialogTestFolder();
    const std::string before = CurrentDirectory();
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\windows"));
    struct {
        uint32_t flags;
        const char* after;
    } cases[] = {{18, "C:\\windows"}, {16, folder.c_str()}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        ASSERT_TRUE(SetCurrentDirectoryA("C:\\windows"));
        char path[517];
        strcpy(path, (folder + "\\\\*.map").c_str());
        RobotTask robot;
        EXPECT_EQ(ChooseFile(path, sizeof path, c.flags, folder + "\\pick.map", &robot), 1);
        EXPECT_STREQ(CurrentDirectory().c_str(), c.after);
    }
    SetCurrentDirectoryA(before.c_str());
}

TEST(FileDialogEx, Flag1PicksTheSaveDialog) {
    struct {
        uint32_t flags;
        const char* okText;
    } cases[] = {{1, "&Save"}, {0, "&Open"}, {19, "&Save"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        char path[64] = "C:\\windows\\\\*.map";
        ButtonWatch watch;
        StartButtonWatch(&watch, TITLE);
        EXPECT_EQ(RunDialog(path, sizeof path, c.flags), 0);
        ASSERT_TRUE(FinishButtonWatch(&watch));
        EXPECT_STREQ(watch.okText, c.okText);
    }
}

TEST(FileDialogEx, Flag32RunsTheFolderBrowser) {
    struct {
        uint32_t flags;
        RobotAction action;
    } cases[] = {{33, ROBOT_CANCEL}, {32, ROBOT_CANCEL}, {33, ROBOT_PRESS}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        char path[MAX_PATH + 4];
        memset(path, 'g', sizeof path);
        strcpy(path, "C:\\windows\\\\*.map");
        char before[sizeof path];
        memcpy(before, path, sizeof path);
        RobotTask robot;
        RobotInit(&robot, BROWSER_TITLE, c.action);
        robot.button = IDOK;
        RobotStart(&robot);
        const int32_t result = RunDialog(path, sizeof path, c.flags);
        ASSERT_TRUE(RobotFinish(&robot));
        if (c.action == ROBOT_CANCEL) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(memcmp(path, before, sizeof path), 0);
            continue;
        }
        // The folder it opened on comes back with the trailing backslash.
        EXPECT_EQ(result, 1);
        const size_t length = strlen(path);
        ASSERT_GT(length, 3u);
        EXPECT_EQ(path[length - 1], '\\');
        const DWORD attributes = GetFileAttributesA(path);
        ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
        EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
}

}  // namespace
