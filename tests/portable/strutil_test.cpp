#include "strutil/strutil.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct SplitCase {
    const char* token;
    const char* text;
    uint32_t flags;
    int32_t result;
    const char* left;
    const char* right;
};

class SplitTextCases : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTextCases, GivesBothParts) {
    const SplitCase& c = GetParam();
    char left[64] = "old-left";
    char right[64] = "old-right";
    ASSERT_EQ(SplitText(c.token, c.text, left, right, c.flags), c.result);
    EXPECT_STREQ(left, c.left);
    EXPECT_STREQ(right, c.right);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SplitTextCases,
    ::testing::Values(
        SplitCase{"\\", "C:\\tools\\a.map", 14, 0, "C:\\tools", "a.map"},
        SplitCase{"\\", "C:\\tools\\a.map", 6, 0, "C:", "tools\\a.map"},
        SplitCase{",", "one,two,three", 0, 0, "one", "two,three"},
        SplitCase{",", "one,two,three", 8, 0, "one,two", "three"},
        SplitCase{",", ",abc", 0, 0, "", "abc"},
        SplitCase{",", "abc,", 0, 0, "abc", ""},
        SplitCase{"\\", "\\a.map", 8, 0, "", "a.map"},
        SplitCase{";", "a,b", 0, -1, "old-left", "old-right"},
        SplitCase{";", "a,b", 8, -1, "old-left", "old-right"},
        SplitCase{"", "abc", 0, 0, "", "abc"},
        SplitCase{"", "abc", 8, -1, "old-left", "old-right"},
        SplitCase{",", "", 0, -1, "old-left", "old-right"},
        SplitCase{"", "", 0, 0, "", ""},
        SplitCase{"", "", 8, -1, "old-left", "old-right"},
        SplitCase{"\\", " x \t\\ y\t", 14, 0, "x", "y"},
        SplitCase{"\\", " x \t\\ y\t", 8, 0, " x \t", " y\t"},
        SplitCase{"\\", "\t x\\y ", 2, 0, "x", "y "},
        SplitCase{"\\", " x \\ y ", 4, 0, " x", " y"},
        SplitCase{"B", "abc", 0, 0, "a", "c"},
        SplitCase{"B", "abc", 1, -1, "old-left", "old-right"}));

struct FindCase {
    const char* token;
    const char* text;
    uint32_t flags;
    int32_t result;
    int32_t start;
    int32_t end;
};

class FindTextCases : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindTextCases, GivesTheOccurrence) {
    const FindCase& c = GetParam();
    int32_t start = -7;
    int32_t end = -7;
    ASSERT_EQ(FindText(c.token, c.text, c.flags, &start, &end), c.result);
    EXPECT_EQ(start, c.start);
    EXPECT_EQ(end, c.end);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FindTextCases,
    ::testing::Values(FindCase{"ab", "aab", 0, 0, 1, 3},
                      FindCase{"aa", "aaa", 0, 0, 0, 2},
                      FindCase{"aa", "aaa", 8, 0, 1, 3},
                      FindCase{"ab", "abab", 8, 0, 2, 4},
                      FindCase{"ab", "ab", 8, 0, 0, 2},
                      FindCase{"AB", "xaby", 0, 0, 1, 3},
                      FindCase{"AB", "xaby", 1, -1, -7, -7},
                      FindCase{"abc", "ab", 0, -1, -7, -7},
                      FindCase{"abc", "ab", 8, -1, -7, -7},
                      FindCase{"", "", 0, 0, 0, 0},
                      FindCase{"\xE9", "x\xC9", 0, -1, -7, -7},
                      FindCase{"\xE9", "x\xE9", 0, 0, 1, 2},
                      FindCase{"[", "x{", 0, -1, -7, -7},
                      FindCase{"a", "xA", 16 | 32, 0, 1, 2}));

TEST(StringUtilities, NullArgumentsGiveMinusOneAndWriteNothing) {
    char buffer[8] = "keep";
    char other[8] = "also";
    int32_t start = 5;
    int32_t end = 6;
    EXPECT_EQ(CopyText(nullptr, buffer), -1);
    EXPECT_EQ(CopyText("x", nullptr), -1);
    EXPECT_EQ(FindText(nullptr, "x", 0, &start, &end), -1);
    EXPECT_EQ(FindText("x", nullptr, 0, &start, &end), -1);
    EXPECT_EQ(SplitText(nullptr, "a,b", buffer, other, 0), -1);
    EXPECT_EQ(SplitText(",", nullptr, buffer, other, 0), -1);
    EXPECT_EQ(SplitText(",", "a,b", nullptr, other, 0), -1);
    EXPECT_EQ(SplitText(",", "a,b", buffer, nullptr, 0), -1);
    EXPECT_EQ(TrimLeftBlanks(nullptr), -1);
    EXPECT_EQ(TrimRightBlanks(nullptr), -1);
    EXPECT_STREQ(buffer, "keep");
    EXPECT_STREQ(other, "also");
    EXPECT_EQ(start, 5);
    EXPECT_EQ(end, 6);
}

TEST(StringUtilities, CopyTextCopiesTheTerminator) {
    char buffer[8] = "xxxxxxx";
    ASSERT_EQ(CopyText("abc", buffer), 0);
    EXPECT_EQ(std::string(buffer, 5), std::string("abc\0x", 5));
}

struct TrimCase {
    const char* text;
    const char* left;
    const char* right;
};

TEST(StringUtilities, TrimsSpacesAndTabsOnly) {
    const TrimCase cases[] = {
        {"\t a ", "a ", "\t a"},
        {" a\t", "a\t", " a"},
        {" \t \t", "", ""},
        {"", "", ""},
        {"\ra\n", "\ra\n", "\ra\n"},
        {"a b", "a b", "a b"},
    };
    for (const TrimCase& c : cases) {
        char left[16];
        char right[16];
        CopyText(c.text, left);
        CopyText(c.text, right);
        EXPECT_EQ(TrimLeftBlanks(left), 0);
        EXPECT_EQ(TrimRightBlanks(right), 0);
        EXPECT_STREQ(left, c.left) << "left trim of \"" << c.text << '"';
        EXPECT_STREQ(right, c.right) << "right trim of \"" << c.text << '"';
    }
}

}  // namespace
