#include "mapload/map_handlers.h"

#include "fake_host.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

TEST(MapRecordHandler, GivesTheLabelsOfTheTable) {
    for (const MapRecordCase& c : MapRecordCases()) {
        FakeHostReset();
        const std::string copy = c.record;
        EXPECT_EQ(MAPFilePerRecordHandler(static_cast<int32_t>(c.record.size()), c.record.c_str()), 0);
        EXPECT_EQ(FakeHostLabels(), c.labels) << "record \"" << c.record << '"';
        EXPECT_EQ(c.record, copy) << "the record was changed";
    }
}

TEST(MapRecordHandler, IgnoresTheLengthArgument) {
    for (int32_t length : {0, -1, 3, 1 << 30}) {
        FakeHostReset();
        EXPECT_EQ(MAPFilePerRecordHandler(length, "00401000 _main"), 0);
        EXPECT_EQ(FakeHostLabels(), (std::vector<RecordedLabel>{{0x401000, 49, "_MAIN"}}));
    }
}

TEST(MapRecordHandler, NullRecordGivesNoLabel) {
    FakeHostReset();
    EXPECT_EQ(MAPFilePerRecordHandler(14, nullptr), 0);
    EXPECT_TRUE(FakeHostLabels().empty());
}

TEST(MapRecordHandler, NulInsideTheRecordEndsIt) {
    FakeHostReset();
    const char record[] = "00401000 ab\0cd";
    EXPECT_EQ(MAPFilePerRecordHandler(14, record), 0);
    EXPECT_EQ(FakeHostLabels(), (std::vector<RecordedLabel>{{0x401000, 49, "AB"}}));
}

TEST(HexToLong, FollowsTheDigitFormula) {
    struct Case {
        const char* text;
        uint32_t value;
    };
    const Case cases[] = {
        {"", 0},           {"0", 0},          {"401000", 0x401000}, {"FFFFFFFF", 0xFFFFFFFF},
        {"a", 42},         {" ", 0xFFFFFFF0}, {":", 3},             {"G", 16},
        {"1G", 0x20},      {"123456789", 0x23456789}, {"\xff", 200},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(static_cast<uint32_t>(HexToLong(c.text)), c.value) << '"' << c.text << '"';
    }
}

TEST(MapCharacterHandler, TurnsATabIntoASpace) {
    struct Case {
        const char* before;
        int32_t capacity;
        std::string after;
    };
    const Case cases[] = {
        {"\t", 2, std::string(" \0", 2)},
        {" ", 2, std::string(" \0", 2)},
        {"\r", 2, std::string("\r\0", 2)},
        {"\n", 2, std::string("\n\0", 2)},
        {"", 2, std::string("\0\0", 2)},
        {"x", 2, std::string("x\0", 2)},
        {"\t  ", 4, std::string(" \0 \0", 4)},
        {"\t x", 4, std::string("\t x\0", 4)},
        {"\t", 1, std::string("\0\0", 2)},
        {"\t", 0, std::string("\t\0", 2)},
    };
    for (const Case& c : cases) {
        char current[4] = {0, 0, 0, 0};
        memcpy(current, c.before, strlen(c.before));
        EXPECT_EQ(MAPFilePerCharacterHandler(2, "p", c.capacity, current), 0);
        EXPECT_EQ(std::string(current, c.after.size()), c.after)
            << '"' << c.before << "\" capacity " << c.capacity;
    }
}

TEST(MapCharacterHandler, NullPointersChangeNothing) {
    char current[2] = {'\t', 0};
    EXPECT_EQ(MAPFilePerCharacterHandler(2, nullptr, 2, current), 0);
    EXPECT_STREQ(current, " ");
    EXPECT_EQ(MAPFilePerCharacterHandler(2, nullptr, 2, nullptr), 0);
}

}  // namespace
