// The example MAP file of the help pages gives exactly the labels that the
// pages list for it, read the way a Run reads a file.
#include "fake_host.h"

#include "mapload/map_handlers.h"
#include "strutil/strutil.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Line feed ends a line, carriage returns are dropped, tabs become spaces
// through the character handler, letters are upper-cased.
static void LoadLikeRun(const std::string& bytes) {
    std::string record;
    char previous[2] = "";
    for (char byte : bytes) {
        char current[2] = {byte, '\0'};
        MAPFilePerCharacterHandler(2, previous, 2, current);
        previous[0] = current[0];
        if (current[0] == '\r') continue;
        if (current[0] == '\n') {
            MAPFilePerRecordHandler(static_cast<int32_t>(record.size()), record.c_str());
            record.clear();
            previous[0] = '\0';
            continue;
        }
        record += UpperAscii(current[0]);
    }
    if (!record.empty()) MAPFilePerRecordHandler(static_cast<int32_t>(record.size()), record.c_str());
}

TEST(HelpExample, GivesTheLabelsThePagesList) {
    std::ifstream file(HELP_EXAMPLE_MAP, std::ios::binary);
    ASSERT_TRUE(file.good()) << HELP_EXAMPLE_MAP;
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    FakeHostReset();

    LoadLikeRun(bytes);

    const std::vector<RecordedLabel> expected = {
        {0x401000, 49, "_MAIN"},
        {0x401020, 49, "READCONFIG@8"},
        {0x401080, 49, "PARSE LINE"},
        {0x401100, 49, "WINMAINCRTSTARTUP"},
        {0x402000, 49, "TABLE_OF_NAMES"},
        {0x403000, 49, "."},
    };
    EXPECT_EQ(FakeHostLabels(), expected);
}
