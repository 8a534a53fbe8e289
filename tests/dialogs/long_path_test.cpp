#include "dialog_fixture.h"
#include "dialogs/long_path.h"
#include "robot.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

const char FAILURE_TITLE[] = "Long Path Conversion failure";
const char MISSING[] = "C:\\no such folder\\vorlane";

// Restores the current directory after each test.
class GetLongPathTest : public ::testing::Test {
protected:
    void SetUp() override { saved = CurrentDirectory(); }
    void TearDown() override { SetCurrentDirectoryA(saved.c_str()); }
    std::string saved;
};

TEST_F(GetLongPathTest, CurrentDirectoryComesInItsLongFormWithBackslash) {
    const std::string folder = DialogTestFolder();
    char shortForm[MAX_PATH] = "";
    ASSERT_NE(GetShortPathNameA(folder.c_str(), shortForm, sizeof shortForm), 0u);
    ASSERT_STRNE(shortForm, folder.c_str());  // the short alias is in play
    ASSERT_TRUE(SetCurrentDirectoryA(shortForm));

    char result[517];
    memset(result, 'g', sizeof result);
    GetLongPath(sizeof result, result, 0, nullptr, 1, 1);
    EXPECT_EQ(std::string(result), folder + "\\");
}

TEST_F(GetLongPathTest, DriveRootStaysAsItIs) {
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    char result[517] = "";
    GetLongPath(sizeof result, result, 0, nullptr, 1, 1);
    EXPECT_STREQ(result, "C:\\");
}

// The message is owned by the active window, so it cannot be used meanwhile.
TEST_F(GetLongPathTest, MissingSourceWithReportOneShowsTheMessageOverTheActiveWindow) {
    HWND window = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    SetActiveWindow(window);
    ASSERT_EQ(GetActiveWindow(), window);
    RobotTask robot;
    RobotInit(&robot, FAILURE_TITLE, ROBOT_PRESS);
    robot.button = IDOK;
    RobotStart(&robot);
    char result[517] = "";
    GetLongPath(sizeof result, result, sizeof MISSING, MISSING, 1, 1);
    const bool found = RobotFinish(&robot);
    DestroyWindow(window);
    ASSERT_TRUE(found);
    EXPECT_EQ(robot.owner, window);
    EXPECT_STREQ(robot.text, "The Long Path of \"C:\\no such folder\\vorlane\" could not be determined.");
    EXPECT_EQ(std::string(result), std::string(MISSING) + "\\");
}

TEST_F(GetLongPathTest, OtherReportValuesGiveTheSameResultSilently) {
    for (int32_t report : {0, 2, -1}) {
        SCOPED_TRACE(report);
        // A message would be answered, so the call returns and the robot tells.
        RobotTask robot;
        RobotInit(&robot, FAILURE_TITLE, ROBOT_PRESS);
        robot.button = IDOK;
        robot.timeoutMs = 1500;
        RobotStart(&robot);
        char result[517] = "";
        GetLongPath(sizeof result, result, sizeof MISSING, MISSING, report, 1);
        EXPECT_FALSE(RobotFinish(&robot));
        EXPECT_EQ(std::string(result), std::string(MISSING) + "\\");
    }
}

struct ResultCase {
    const char* source;
    int32_t capacity;
    int32_t trailingBackslash;
    const char* expected;
};

class GetLongPathResults : public ::testing::TestWithParam<ResultCase> {};

TEST_P(GetLongPathResults, BackslashOnlyWhereItBelongsAndFits) {
    const ResultCase& c = GetParam();
    char result[80];
    memset(result, 'g', sizeof result);
    GetLongPath(c.capacity, result, 0, c.source, 0, c.trailingBackslash);
    EXPECT_STREQ(result, c.expected);
    EXPECT_EQ(result[c.capacity], 'g');
}

INSTANTIATE_TEST_SUITE_P(
    Table, GetLongPathResults,
    ::testing::Values(ResultCase{"", 64, 1, ""},                                      // empty: no backslash
                      ResultCase{"C:\\no_such_abc", 15, 1, "C:\\no_such_abc"},        // capacity - 1 characters
                      ResultCase{"C:\\no_such_abc", 16, 1, "C:\\no_such_abc\\"},
                      ResultCase{"C:\\no_such_abcdef", 10, 0, "C:\\no_suc"},         // source cut to fit
                      ResultCase{"C:\\windows", 64, 2, "C:\\windows"},
                      ResultCase{"C:\\windows", 64, -1, "C:\\windows"},
                      ResultCase{"C:\\windows\\", 64, 1, "C:\\windows\\"}));

TEST_F(GetLongPathTest, LongFormThatDoesNotFitLeavesTheSource) {
    const std::string folder = DialogTestFolder();
    char shortForm[MAX_PATH] = "";
    ASSERT_NE(GetShortPathNameA(folder.c_str(), shortForm, sizeof shortForm), 0u);
    const size_t length = strlen(shortForm);
    ASSERT_LT(length, folder.size());

    // Room for the short form and its backslash, not for the long form.
    std::string result(length + 2, 'g');
    GetLongPath(static_cast<int32_t>(result.size()), &result[0], 0, shortForm, 0, 1);
    EXPECT_STREQ(result.c_str(), (std::string(shortForm) + "\\").c_str());

    // With room enough the long form comes back.
    char roomy[517] = "";
    GetLongPath(sizeof roomy, roomy, 0, shortForm, 0, 0);
    EXPECT_EQ(std::string(roomy), folder);
}

TEST(GetLongPath, NoRoomWritesNothing) {
    char result[4] = "old";
    GetLongPath(0, result, 0, "C:\\windows", 0, 1);
    EXPECT_STREQ(result, "old");
}

}  // namespace
