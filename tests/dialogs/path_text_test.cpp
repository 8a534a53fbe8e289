#include "dialogs/path_text.h"

#include <gtest/gtest.h>

#include <string.h>

namespace {

struct BackslashCase {
    const char* text;
    int32_t capacity;
    const char* expected;
};

class AppendBackslashCases : public ::testing::TestWithParam<BackslashCase> {};

TEST_P(AppendBackslashCases, AddsOnlyWhereItBelongsAndFits) {
    const BackslashCase& c = GetParam();
    char text[32];
    strcpy(text, c.text);
    AppendBackslash(text, c.capacity);
    EXPECT_STREQ(text, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AppendBackslashCases,
    ::testing::Values(BackslashCase{"C:\\Work", 32, "C:\\Work\\"},
                      BackslashCase{"C:\\", 32, "C:\\"},
                      BackslashCase{"", 32, ""},
                      BackslashCase{"abc", 5, "abc\\"},   // fills capacity - 1 exactly
                      BackslashCase{"abcd", 5, "abcd"},   // already capacity - 1 characters
                      BackslashCase{"abcd", 0, "abcd"},
                      BackslashCase{"abcd", -1, "abcd"}));

TEST(CopyTextCut, KeepsAtMostCapacityMinusOne) {
    char text[8];
    memset(text, 'x', sizeof text);
    CopyTextCut("abcdefghij", text, 5);
    EXPECT_STREQ(text, "abcd");
    EXPECT_EQ(text[5], 'x');  // nothing written past the capacity
    CopyTextCut("abc", text, 1);
    EXPECT_STREQ(text, "");
}

TEST(CopyTextCut, WritesNothingWithoutRoomForTheTerminator) {
    char text[4] = "old";
    CopyTextCut("new", text, 0);
    EXPECT_STREQ(text, "old");
}

TEST(AppendTextCut, StopsAtCapacityMinusOne) {
    char text[8] = "ab";
    AppendTextCut("cdefgh", text, 6);
    EXPECT_STREQ(text, "abcde");
    AppendTextCut("z", text, 6);
    EXPECT_STREQ(text, "abcde");
}

}  // namespace
