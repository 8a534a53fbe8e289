// The Names list's copy of the table and the text of its cells, without a
// window.
#include "names_snapshot.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Labels = std::vector<std::pair<uint32_t, std::string>>;

Labels Rows(const NamesSnapshot& snapshot) {
    Labels rows;
    for (size_t i = 0; i < snapshot.rows.size(); ++i) rows.push_back({snapshot.rows[i].address, SnapshotName(snapshot, i)});
    return rows;
}

TEST(NamesSnapshot, HoldsTheNamesOfOneTypeByAddress) {
    const HostNameTable table = {
        {{0xFFFFFFFF, 49}, "top"}, {{0x401000, 50}, "a comment"}, {{0x401000, 49}, "main"},
        {{0, 49}, ""},             {{0x10, 49}, "two words"},    {{0x402000, 33}, "an export"},
    };
    NamesSnapshot snapshot;
    TakeNamesSnapshot(table, 49, &snapshot);
    EXPECT_EQ(Rows(snapshot), (Labels{{0, ""}, {0x10, "two words"}, {0x401000, "main"}, {0xFFFFFFFF, "top"}}));
}

TEST(NamesSnapshot, IsACopyThatATakeReplaces) {
    HostNameTable table = {{{0x401000, 49}, "first"}, {{0x402000, 49}, "second"}};
    NamesSnapshot snapshot;
    TakeNamesSnapshot(table, 49, &snapshot);
    table.clear();
    EXPECT_EQ(snapshot.rows.size(), 2u);
    EXPECT_STREQ(SnapshotName(snapshot, 1), "second");
    TakeNamesSnapshot(table, 49, &snapshot);
    EXPECT_TRUE(snapshot.rows.empty());
    EXPECT_STREQ(SnapshotName(snapshot, 0), "") << "a row past the end has no name";
}

TEST(NamesSnapshot, AddressesAreEightUpperCaseDigits) {
    const std::pair<uint32_t, const char*> cases[] = {
        {0, "00000000"}, {0x401000, "00401000"}, {0xABCDEF, "00ABCDEF"}, {0xFFFFFFFF, "FFFFFFFF"}};
    for (const auto& c : cases) {
        char text[NAMES_ADDRESS_CAPACITY];
        FormatNamesAddress(c.first, text);
        EXPECT_STREQ(text, c.second);
    }
}

TEST(NamesSnapshot, CountLineFitsItsBuffer) {
    char text[64];
    FormatNamesCount(1, text, sizeof text);
    EXPECT_STREQ(text, "1 label at the last redraw");
    FormatNamesCount(1300000, text, sizeof text);
    EXPECT_STREQ(text, "1300000 labels at the last redraw");
    char small[5];
    FormatNamesCount(1300000, small, sizeof small);
    EXPECT_STREQ(small, "1300");
}

}  // namespace
