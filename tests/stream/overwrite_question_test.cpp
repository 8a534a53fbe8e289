#include "stream/overwrite_question.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string TAIL = "\" exists.||Is it OK to OVERWRITE it?";

TEST(OverwriteQuestion, QuotesThePathAndAsks) {
    char question[OVERWRITE_QUESTION_CAPACITY];
    OverwriteQuestion("C:\\out\\labels.txt", question, sizeof question);
    EXPECT_EQ(std::string(question), "\"C:\\out\\labels.txt" + TAIL);
}

TEST(OverwriteQuestion, CutsAPathTooLongButNeverTheQuestion) {
    const std::string path(5000, 'p');
    std::vector<char> question(OVERWRITE_QUESTION_CAPACITY + 1, '#');
    OverwriteQuestion(path.c_str(), question.data(), OVERWRITE_QUESTION_CAPACITY);
    const std::string text(question.data());
    EXPECT_EQ(text.size(), static_cast<size_t>(OVERWRITE_QUESTION_CAPACITY - 1));
    EXPECT_EQ(text.substr(text.size() - TAIL.size()), TAIL);
    EXPECT_EQ(text[0], '"');
    EXPECT_EQ(question[OVERWRITE_QUESTION_CAPACITY], '#');
}

TEST(OverwriteQuestion, StaysInsideASmallBuffer) {
    for (int capacity : {1, 2, 10, 40}) {
        std::vector<char> question(static_cast<size_t>(capacity) + 1, '#');
        OverwriteQuestion("C:\\x", question.data(), capacity);
        EXPECT_EQ(question[static_cast<size_t>(capacity)], '#') << capacity;
        EXPECT_LT(std::string(question.data()).size(), static_cast<size_t>(capacity)) << capacity;
    }
}

}  // namespace
