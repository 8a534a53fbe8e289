#include "dialogs/folder_browser.h"
#include "robot.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

const char BROWSER_TITLE[] = "Browse for Folder";
const char HEADING[] = "Pick a folder";

// Runs the browser with the robot pressing button; OK takes the folder it
// opened on.
int32_t Browse(char* buffer, int32_t capacity, int32_t trailingBackslash, int button) {
    RobotTask robot;
    RobotInit(&robot, BROWSER_TITLE, ROBOT_PRESS);
    robot.button = button;
    RobotStart(&robot);
    const int32_t result =
        BrowseFolder(sizeof HEADING, HEADING, capacity, buffer, nullptr, BIF_RETURNONLYFSDIRS, trailingBackslash);
    EXPECT_TRUE(RobotFinish(&robot));
    return result;
}

TEST(BrowseFolder, CancelReturnsZeroAndWritesNothing) {
    char buffer[MAX_PATH + 8];
    memset(buffer, 'g', sizeof buffer);
    EXPECT_EQ(Browse(buffer, sizeof buffer, 1, IDCANCEL), 0);
    for (char c : buffer) ASSERT_EQ(c, 'g');
}

TEST(BrowseFolder, TrailingBackslashOnlyWhenAskedWithOne) {
    char plain[MAX_PATH] = "";
    ASSERT_EQ(Browse(plain, sizeof plain, 0, IDOK), 1);
    const size_t length = strlen(plain);
    ASSERT_GT(length, 3u);
    ASSERT_NE(plain[length - 1], '\\');

    struct {
        int32_t trailingBackslash;
        std::string expected;
    } cases[] = {{1, std::string(plain) + "\\"}, {2, plain}, {-1, plain}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.trailingBackslash);
        char buffer[MAX_PATH] = "";
        EXPECT_EQ(Browse(buffer, sizeof buffer, c.trailingBackslash, IDOK), 1);
        EXPECT_EQ(std::string(buffer), c.expected);
    }
}

TEST(BrowseFolder, SmallBufferGetsTheCutPathAndNothingBeyond) {
    char full[MAX_PATH] = "";
    ASSERT_EQ(Browse(full, sizeof full, 0, IDOK), 1);
    char buffer[12];
    memset(buffer, 'g', sizeof buffer);
    EXPECT_EQ(Browse(buffer, 8, 1, IDOK), 1);
    EXPECT_EQ(std::string(buffer), std::string(full).substr(0, 7));
    EXPECT_EQ(memcmp(buffer + 8, "gggg", 4), 0);
}

}  // namespace
