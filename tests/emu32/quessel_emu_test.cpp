// Quessel.dll's own i686 code: its two stdcall exports called as a 32-bit
// caller calls them, compared with what the other builds give for the
// same records.
#include "emu32_fixture.h"

#include "mapload/map_handlers.h"
#include "tests/portable/fake_host.h"
#include "tests/portable/map_record_cases.h"

#include <string.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

class Emu32Quessel : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadAndAttach("Quessel.dll", &quessel));
        recordHandler = ExportAddress(quessel, "MAPFilePerRecordHandler");
        characterHandler = ExportAddress(quessel, "MAPFilePerCharacterHandler");
        ASSERT_NE(recordHandler, 0u);
        ASSERT_NE(characterHandler, 0u);
    }

    // Calls the record handler with (length, record) and checks what every
    // call must give: result 0, 8 bytes removed, registers kept.
    std::vector<RecordedLabel> Labels(int32_t length, uint32_t record, const std::string& what) {
        Machine* m = &quessel.machine;
        m->hostCalls.clear();
        const CallResult r = CallAt(m, recordHandler, {static_cast<uint32_t>(length), record});
        EXPECT_TRUE(r.returned) << what << ": " << r.stop;
        EXPECT_EQ(r.eax, 0u) << what;
        EXPECT_EQ(CalleeRemoved(r), 8) << what;
        EXPECT_TRUE(r.calleeSavedKept) << what;
        std::vector<RecordedLabel> labels;
        for (const HostCall& c : m->hostCalls) {
            EXPECT_EQ(c.service, "_Insertname") << what;
            labels.push_back({c.args[0], static_cast<int32_t>(c.args[1]), c.text});
        }
        return labels;
    }

    Emu32Dll quessel;
    uint32_t recordHandler = 0;
    uint32_t characterHandler = 0;
};

TEST_F(Emu32Quessel, RecordTableGivesTheSameLabelsAsTheOtherBuilds) {
    Machine* m = &quessel.machine;
    for (const MapRecordCase& c : MapRecordCases()) {
        const uint32_t record = PutText(m, c.record);
        const std::string what = "record \"" + c.record + "\"";
        EXPECT_EQ(Labels(static_cast<int32_t>(c.record.size()), record, what), c.labels) << what;
        std::string after;
        ASSERT_TRUE(ReadText(m, record, &after));
        EXPECT_EQ(after, c.record) << what << ": the record was changed";
    }
}

// The fuzzer's corpus holds the odd records it found interesting; the
// 32-bit code must label each exactly as this build's own handler does.
TEST_F(Emu32Quessel, FuzzCorpusGivesTheSameLabelsAsTheNativeBuild) {
    Machine* m = &quessel.machine;
    size_t records = 0;
    for (const auto& entry : std::filesystem::directory_iterator(EMU32_RECORD_CORPUS)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string record(bytes.c_str());
        FakeHostReset();
        MAPFilePerRecordHandler(static_cast<int32_t>(record.size()), record.c_str());
        const std::string what = entry.path().filename().string();
        EXPECT_EQ(Labels(static_cast<int32_t>(record.size()), PutText(m, record), what), FakeHostLabels()) << what;
        ++records;
    }
    EXPECT_GT(records, 0u) << "no corpus in " << EMU32_RECORD_CORPUS;
}

TEST_F(Emu32Quessel, LengthArgumentIsNotUsed) {
    const uint32_t record = PutText(&quessel.machine, "00401000 _main");
    const std::vector<RecordedLabel> main = {{0x401000, 49, "_MAIN"}};
    for (int32_t length : {0, -1, 3, 1 << 30}) {
        EXPECT_EQ(Labels(length, record, "length " + std::to_string(length)), main);
    }
}

TEST_F(Emu32Quessel, NullRecordGivesNoLabel) {
    EXPECT_TRUE(Labels(14, 0, "null record").empty());
}

TEST_F(Emu32Quessel, CharacterHandlerTurnsATabIntoABlank) {
    struct Case {
        const char* before;
        int32_t capacity;
        std::string after;
    };
    const Case cases[] = {
        {"\t", 2, std::string(" \0", 2)},     {" ", 2, std::string(" \0", 2)},
        {"\r", 2, std::string("\r\0", 2)},    {"\n", 2, std::string("\n\0", 2)},
        {"", 2, std::string("\0\0", 2)},      {"x", 2, std::string("x\0", 2)},
        {"\t  ", 4, std::string(" \0 \0", 4)}, {"\t x", 4, std::string("\t x\0", 4)},
        {"\t", 1, std::string("\0\0", 2)},    {"\t", 0, std::string("\t\0", 2)},
    };
    Machine* m = &quessel.machine;
    const uint32_t previous = PutText(m, "p");
    for (const Case& c : cases) {
        char bytes[4] = {0, 0, 0, 0};
        memcpy(bytes, c.before, strlen(c.before));
        const uint32_t current = PutBytes(m, bytes, sizeof bytes);
        const CallResult r = CallAt(m, characterHandler, {2, previous, static_cast<uint32_t>(c.capacity), current});
        ASSERT_TRUE(r.returned) << r.stop;
        EXPECT_EQ(r.eax, 0u);
        EXPECT_EQ(CalleeRemoved(r), 16);
        EXPECT_TRUE(r.calleeSavedKept);
        const std::vector<uint8_t> after = ReadBlock(m, current, static_cast<uint32_t>(c.after.size()));
        EXPECT_EQ(std::string(after.begin(), after.end()), c.after) << '"' << c.before << '"';
    }
    EXPECT_TRUE(m->hostCalls.empty());
}

TEST_F(Emu32Quessel, CharacterHandlerLeavesNullPointersAlone) {
    const CallResult r = CallAt(&quessel.machine, characterHandler, {2, 0, 2, 0});
    ASSERT_TRUE(r.returned) << r.stop;
    EXPECT_EQ(r.eax, 0u);
    EXPECT_EQ(CalleeRemoved(r), 16);
}

TEST_F(Emu32Quessel, DetachRunsCleanly) {
    const CallResult r = NotifyDll(&quessel.machine, quessel.dll, 0);
    EXPECT_TRUE(r.returned) << r.stop;
    EXPECT_EQ(CalleeRemoved(r), 12);
    EXPECT_TRUE(quessel.machine.hostCalls.empty());
}

}  // namespace
