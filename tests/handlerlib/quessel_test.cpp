// Quessel's exports called from a process named ollydbg.exe, so that the
// library binds _Insertname to this program's services as in the debugger.
// The same records through Quessel and through the handlers that Vorlane
// links in must give the same labels.
#include "built_dll.h"
#include "host_plugin.h"
#include "host_state.h"
#include "map_record_cases.h"

#include "mapload/map_handlers.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

HMODULE Quessel() {
    static HMODULE module = LoadBuiltDll("Quessel.dll");
    return module;
}

std::vector<RecordedLabel> HostLabels() {
    std::vector<RecordedLabel> labels;
    for (const auto& entry : Host().names) labels.push_back({entry.first.first, entry.first.second, entry.second});
    return labels;
}

class QuesselExports : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(Quessel(), nullptr) << "LoadLibrary error " << GetLastError();
        record = FindEntry<PerRecordHandler>(Quessel(), "MAPFilePerRecordHandler");
        character = FindEntry<PerCharacterHandler>(Quessel(), "MAPFilePerCharacterHandler");
        ASSERT_NE(record, nullptr);
        ASSERT_NE(character, nullptr);
        HostReset();
    }
    PerRecordHandler record = nullptr;
    PerCharacterHandler character = nullptr;
};

TEST_F(QuesselExports, NamesHaveTheirOrdinals) {
    EXPECT_EQ(FindEntry<PerCharacterHandler>(Quessel(), MAKEINTRESOURCEA(1)), character);
    EXPECT_EQ(FindEntry<PerRecordHandler>(Quessel(), MAKEINTRESOURCEA(2)), record);
    EXPECT_EQ(GetProcAddress(Quessel(), MAKEINTRESOURCEA(3)), nullptr);
}

TEST_F(QuesselExports, LoadingDidNothingInTheHost) {
    EXPECT_TRUE(Host().log.empty());
    EXPECT_TRUE(Host().names.empty());
    EXPECT_EQ(Host().insertions, 0);
}

TEST_F(QuesselExports, RecordsGiveTheLabelsOfVorlanesOwnHandler) {
    for (const MapRecordCase& c : MapRecordCases()) {
        const int32_t length = static_cast<int32_t>(c.record.size());
        HostReset();
        EXPECT_EQ(record(length, c.record.c_str()), 0);
        const std::vector<RecordedLabel> throughQuessel = HostLabels();
        const int insertions = Host().insertions;
        HostReset();
        EXPECT_EQ(MAPFilePerRecordHandler(length, c.record.c_str()), 0);
        EXPECT_EQ(throughQuessel, c.labels) << "record \"" << c.record << '"';
        EXPECT_EQ(HostLabels(), throughQuessel) << "record \"" << c.record << '"';
        EXPECT_EQ(insertions, static_cast<int>(c.labels.size())) << "record \"" << c.record << '"';
    }
}

TEST_F(QuesselExports, TheLengthArgumentIsNotUsed) {
    const std::vector<RecordedLabel> main = {{0x401000, 49, "_MAIN"}};
    for (int32_t length : {0, -1, 3, 14, INT32_MAX, INT32_MIN}) {
        HostReset();
        EXPECT_EQ(record(length, "00401000 _main"), 0);
        EXPECT_EQ(HostLabels(), main) << "length " << length;
    }
}

TEST_F(QuesselExports, ANullRecordGivesNoLabel) {
    EXPECT_EQ(record(14, nullptr), 0);
    EXPECT_EQ(record(0, nullptr), 0);
    EXPECT_EQ(Host().insertions, 0);
}

TEST_F(QuesselExports, ATabBecomesOneBlank) {
    struct Case {
        const char* before;
        const char* after;
    };
    const Case cases[] = {{"\t", " "}, {" ", " "}, {"\r", "\r"}, {"\n", "\n"}, {"", ""}, {"x", "x"}};
    for (const Case& c : cases) {
        char current[2] = {0, 0};
        memcpy(current, c.before, strlen(c.before));
        EXPECT_EQ(character(2, "p", 2, current), 0);
        EXPECT_EQ(std::string(current, 2), std::string(c.after, 1) + '\0') << '"' << c.before << '"';
    }
    char current[2] = {'\t', 0};
    EXPECT_EQ(character(2, nullptr, 2, current), 0);
    EXPECT_STREQ(current, " ");
    EXPECT_EQ(character(2, nullptr, 2, nullptr), 0);
    EXPECT_EQ(Host().insertions, 0);
}

}  // namespace
