#include "stream/record_assembly.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// What the callbacks saw, and how they answer. The callbacks get only the
// stream, so they reach this through a file-wide pointer.
struct Recorder {
    std::vector<std::string> records;  // text up to CURRENTRECORDINDEX
    std::vector<int32_t> lineNumbers;  // LINENUMBER during each record call
    std::string previous;              // previous character at each call, '.' for empty
    int characterCalls = 0;
    bool terminated = true;            // every record had its NUL behind it
    bool tabToSpace = false;
    int characterStopAt = -1;          // call number (from 0) that answers characterResult
    int32_t characterResult = 0;
    int recordStopAt = -1;
    int32_t recordResult = 0;
    int moveIndexAt = -1;              // character call that sets CURRENTRECORDINDEX
    int32_t moveIndexTo = 0;
};

Recorder* recorder = nullptr;

int32_t OnCharacter(TextFileStream* stream, int32_t, char*) {
    const int call = recorder->characterCalls++;
    const char previous = stream->PREVIOUSCHARACTERSZ[0];
    recorder->previous += previous == '\0' ? '.' : previous;
    if (recorder->tabToSpace && stream->CURRENTCHARACTERSZ[0] == '\t') stream->CURRENTCHARACTERSZ[0] = ' ';
    if (call == recorder->moveIndexAt) stream->CURRENTRECORDINDEX = recorder->moveIndexTo;
    return call == recorder->characterStopAt ? recorder->characterResult : 0;
}

int32_t OnRecord(TextFileStream* stream, int32_t, char* record) {
    const int32_t length = stream->CURRENTRECORDINDEX;
    recorder->records.emplace_back(record, static_cast<size_t>(length));
    recorder->terminated = recorder->terminated && record[length] == '\0';
    recorder->lineNumbers.push_back(stream->LINENUMBER);
    const int call = static_cast<int>(recorder->records.size()) - 1;
    return call == recorder->recordStopAt ? recorder->recordResult : 0;
}

// A stream as a successful opening leaves it.
TextFileStream OpenedStream(int32_t capacity, uint32_t size, int32_t upper) {
    TextFileStream stream;
    InitTextStream(&stream);
    stream.MODE = STREAM_MODE_READ;
    stream.COLLECTASUPPER = upper;
    stream.FILEHANDLE = 1;
    stream.FILESIZETOPROCESSINBYTES = static_cast<int32_t>(size);
    stream.PREVIOUSCHARACTERSZ[0] = '\0';
    stream.CURRENTCHARACTERSZ[0] = '\0';
    stream.MAXIMUMTRECORDINDEX = capacity - 1;
    return stream;
}

struct Reading {
    TextFileStream stream;
    ChunkAssembly assembly;
    std::vector<char> record;  // exactly the capacity, so an overrun is caught
    int chunks = 0;
};

// Reads bytes the way the reading loop does: a chunk at a time until the
// stop word is set, the empty read ending the file, then the last record.
void Read(Reading* reading, const std::string& bytes, size_t chunk) {
    ChunkAssembly* assembly = &reading->assembly;
    size_t position = 0;
    while (assembly->stopWord == 0) {
        const size_t count = std::min(chunk, bytes.size() - position);
        if (count == 0) {
            assembly->stopWord = 1;
            break;
        }
        AssembleChunk(assembly, bytes.data() + position, static_cast<int32_t>(count));
        position += count;
        ++reading->chunks;
    }
    FinishAssembly(assembly);
}

class RecordAssembly : public ::testing::Test {
protected:
    void SetUp() override { recorder = &seen; }
    void TearDown() override { recorder = nullptr; }

    void Run(const std::string& bytes, int32_t upper = 0, size_t chunk = 8191, int32_t capacity = 2048) {
        reading.stream = OpenedStream(capacity, static_cast<uint32_t>(bytes.size()), upper);
        reading.record.assign(static_cast<size_t>(capacity), '#');
        StartAssembly(&reading.assembly, &reading.stream, capacity, OnCharacter, OnRecord, reading.record.data());
        Read(&reading, bytes, chunk);
    }

    Recorder seen;
    Reading reading;
};

using Records = std::vector<std::string>;

struct ByteCase {
    const char* name;
    std::string bytes;
    int32_t upper;
    Records records;
};

std::vector<ByteCase> ByteCases() {
    return {
        {"CR LF line ends", "AB\r\nXY\r\n", 0, {"AB", "XY"}},
        {"no final line feed", "AB\nXY", 0, {"AB", "XY"}},
        {"empty lines", "\n\nA\n\n", 0, {"", "", "A", ""}},
        {"lone carriage returns", "A\rB\n\rC\r", 0, {"AB", "C"}},
        {"carriage returns only", "one\rtwo\rthree\r", 0, {"onetwothree"}},
        {"upper-cased on 1", "ab1_x\n", 1, {"AB1_X"}},
        {"high bytes unchanged", "\xe0\xff\x80z\x9a\n", 1, {"\xe0\xff\x80Z\x9a"}},
        {"as written on 0", "ab1_x\n", 0, {"ab1_x"}},
        {"as written on 2", "ab1_x\n", 2, {"ab1_x"}},
        {"as written on -1", "ab1_x\n", -1, {"ab1_x"}},
        {"NUL stored and counted", std::string("a\0b\n", 4), 0, {std::string("a\0b", 3)}},
        {"only a line feed", "\n", 0, {""}},
        {"only carriage returns", "\r\r\r", 0, {}},
    };
}

TEST_F(RecordAssembly, TurnsByteStringsIntoRecords) {
    for (const ByteCase& c : ByteCases()) {
        seen = Recorder();
        Run(c.bytes, c.upper);
        EXPECT_EQ(seen.records, c.records) << c.name;
        EXPECT_EQ(seen.characterCalls, static_cast<int>(c.bytes.size())) << c.name;
        EXPECT_TRUE(seen.terminated) << c.name;
        std::vector<int32_t> numbers;
        int32_t total = 0;
        for (size_t i = 0; i < c.records.size(); ++i) {
            numbers.push_back(static_cast<int32_t>(i + 1));
            total += static_cast<int32_t>(c.records[i].size());
        }
        EXPECT_EQ(seen.lineNumbers, numbers) << c.name;
        EXPECT_EQ(reading.stream.LINENUMBER, static_cast<int32_t>(c.records.size())) << c.name;
        EXPECT_EQ(reading.stream.FILESIZEPROCESSEDINBYTES, total) << c.name;
        EXPECT_EQ(reading.stream.CURRENTRECORDINDEX, 0) << c.name;
    }
}

TEST_F(RecordAssembly, EmptyRecordLeavesJustTheTerminator) {
    Run("\n");
    EXPECT_EQ(reading.record[0], '\0');
    EXPECT_EQ(reading.record[1], '#');
}

TEST_F(RecordAssembly, PreviousCharacterIsTheFieldAsTheNextByteFoundIt) {
    Run("ab\r\nc\td", 1);
    // Empty at the start and after a record; upper-cased once collected;
    // a carriage return stays for the line feed to see.
    EXPECT_EQ(seen.previous, ".AB\r.C\t");
    EXPECT_EQ(reading.stream.PREVIOUSCHARACTERSZ[0], '\t');
    EXPECT_EQ(reading.stream.CURRENTCHARACTERSZ[0], '\0');
}

TEST_F(RecordAssembly, CharacterRewrittenByTheCallbackIsCollected) {
    seen.tabToSpace = true;
    Run("a\tb\t\n");
    EXPECT_EQ(seen.records, Records({"a b "}));
}

TEST_F(RecordAssembly, LineOfTheMostCharactersIsWholeAndReadingGoesOn) {
    const std::string longest(2047, 'x');
    Run(longest + "\nnext\n");
    EXPECT_EQ(seen.records, Records({longest, "next"}));
    EXPECT_EQ(reading.record[2047], '\0');
}

TEST_F(RecordAssembly, OverlongLineEndsTheReadingAfterWhatFits) {
    const std::string line(2048, 'x');
    Run(line + "\nnext\n");
    EXPECT_EQ(seen.records, Records({std::string(2047, 'x')}));
    EXPECT_EQ(seen.characterCalls, 2048);
    EXPECT_EQ(reading.chunks, 1);
}

// Lines of many lengths, with carriage returns here and there, across
// chunks of several sizes: the result is always that of the whole file.
std::string MixedFile() {
    std::string bytes;
    uint32_t seed = 12345;
    while (bytes.size() < 40000) {
        seed = seed * 1103515245u + 12345u;
        const size_t length = (seed >> 8) % 300;
        for (size_t i = 0; i < length; ++i) bytes += static_cast<char>('a' + (i + seed) % 26);
        if ((seed >> 4) % 3 == 0) bytes += '\r';
        bytes += '\n';
    }
    return bytes;
}

Records LinesOf(const std::string& bytes) {
    Records lines(1);
    for (char c : bytes) {
        if (c == '\r') continue;
        if (c == '\n') {
            lines.emplace_back();
            continue;
        }
        lines.back() += c;
    }
    if (lines.back().empty()) lines.pop_back();
    return lines;
}

TEST_F(RecordAssembly, ChunkBoundariesDoNotMatter) {
    const std::string bytes = MixedFile();
    for (size_t chunk : {size_t(1), size_t(2), size_t(7), size_t(300), size_t(8191)}) {
        seen = Recorder();
        Run(bytes, 0, chunk);
        EXPECT_EQ(seen.records, LinesOf(bytes)) << "chunk " << chunk;
    }
}

TEST_F(RecordAssembly, CarriageReturnAndLineFeedSplitByTheChunkBoundary) {
    // Four lines of 2000 and CR LF (8008 bytes), then a line of 182 whose
    // CR is the chunk's last byte and whose LF starts the next chunk.
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes += std::string(2000, static_cast<char>('a' + i)) + "\r\n";
    bytes += std::string(182, 'e') + "\r\n" + "after\r\n";
    ASSERT_EQ(bytes[8190], '\r');
    Run(bytes);
    EXPECT_EQ(seen.records, LinesOf(bytes));
    EXPECT_EQ(reading.chunks, 2);
}

struct StopCase {
    const char* name;
    std::string bytes;
    size_t chunk;
    int characterStopAt;
    int32_t characterResult;
    int recordStopAt;
    int32_t recordResult;
    Records records;
    int characterCalls;
};

std::vector<StopCase> StopCases() {
    return {
        {"character 1 stops at that byte", "abcdef\ngh\n", 8191, 3, 1, -1, 0, {"abc"}, 4},
        {"character 2 drops the byte", "abcd\nef\n", 8191, 1, 2, -1, 0, {"acd", "ef"}, 8},
        {"character 2 at a chunk's end stops", "abcdef\ngh\n", 3, 2, 2, -1, 0, {"ab"}, 3},
        {"character -1 drops the byte", "ab\ncd\n", 8191, 2, -1, -1, 0, {"abcd"}, 6},
        {"record 1 stops", "a\nb\nc\n", 8191, -1, 0, 0, 1, {"a"}, 2},
        {"record 2 goes on", "a\nb\nc\n", 8191, -1, 0, 0, 2, {"a", "b", "c"}, 6},
        {"record 2 at a chunk's end stops", "a\nb\nc\n", 2, -1, 0, 0, 2, {"a"}, 2},
    };
}

TEST_F(RecordAssembly, CallbackResultsFollowTheStopWord) {
    for (const StopCase& c : StopCases()) {
        seen = Recorder();
        seen.characterStopAt = c.characterStopAt;
        seen.characterResult = c.characterResult;
        seen.recordStopAt = c.recordStopAt;
        seen.recordResult = c.recordResult;
        Run(c.bytes, 0, c.chunk);
        EXPECT_EQ(seen.records, c.records) << c.name;
        EXPECT_EQ(seen.characterCalls, c.characterCalls) << c.name;
    }
}

TEST_F(RecordAssembly, ProgressFollowsTheDeliveredCharacters) {
    reading.stream = OpenedStream(2048, 1000, 0);
    reading.record.assign(2048, '#');
    StartAssembly(&reading.assembly, &reading.stream, 2048, OnCharacter, OnRecord, reading.record.data());
    EXPECT_EQ(reading.assembly.progress, 0);
    const std::string line = std::string(96, 'p') + "\n";
    AssembleChunk(&reading.assembly, line.data(), static_cast<int32_t>(line.size()));
    EXPECT_EQ(reading.assembly.progress, 9);
    EXPECT_EQ(reading.assembly.stopWord, 0);
}

TEST(ProgressPercent, HandlesTheWholeUnsignedRange) {
    struct Case {
        uint32_t processed;
        uint32_t total;
        int32_t percent;
    };
    const Case cases[] = {
        {96, 1000, 9},
        {0, 1000, 0},
        {1000, 1000, 100},
        {999, 1000, 99},
        {0x80000000u, 0xFFFFFFFFu, 50},
        {3000000000u, 4000000000u, 75},
        {0xFFFFFFFFu, 0xFFFFFFFFu, 100},
        {42949672u, 4294967295u, 0},
        {42949673u, 4294967295u, 1},
        {2000, 1000, 100},         // the file grew while it was read
        {0xFFFFFFFFu, 1, 100},
        {0, 0, 100},               // no size to divide by
        {5, 0, 100},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProgressPercent(c.processed, c.total), c.percent) << c.processed << " of " << c.total;
    }
}

TEST_F(RecordAssembly, CountersWrapInsteadOfOverflowing) {
    reading.stream = OpenedStream(2048, 0xF0000000u, 0);
    reading.stream.FILESIZEPROCESSEDINBYTES = 0x7FFFFFFF;
    reading.stream.LINENUMBER = 0x7FFFFFFF;
    reading.record.assign(2048, '#');
    StartAssembly(&reading.assembly, &reading.stream, 2048, OnCharacter, OnRecord, reading.record.data());
    AssembleChunk(&reading.assembly, "ab\n", 3);
    EXPECT_EQ(static_cast<uint32_t>(reading.stream.FILESIZEPROCESSEDINBYTES), 0x80000001u);
    EXPECT_EQ(static_cast<uint32_t>(reading.stream.LINENUMBER), 0x80000000u);
    EXPECT_EQ(reading.assembly.progress, 53);  // 0x80000001 * 100 / 0xF0000000
}

// Whatever the callbacks or the caller's numbers say, nothing is written
// outside the record buffer; the sanitizers and the guard bytes check it.
TEST_F(RecordAssembly, StaysInsideTheRecordBuffer) {
    struct MoveCase {
        const char* bytes;
        int at;
        int32_t to;
        Records records;
    };
    const MoveCase moves[] = {
        {"abc\nd\n", 3, 5000, {"abc####", "d"}},  // cut to the capacity
        {"abc\nd\n", 3, -2, {"", "d"}},
        {"abc\nd\n", 1, -2, {}},                  // nowhere to store: the reading ends
    };
    for (const MoveCase& c : moves) {
        seen = Recorder();
        seen.moveIndexAt = c.at;
        seen.moveIndexTo = c.to;
        Run(c.bytes, 0, 8191, 8);
        EXPECT_EQ(seen.records, c.records) << c.bytes << " moved to " << c.to;
        EXPECT_TRUE(seen.terminated);
    }

    // A capacity now smaller than at opening bounds the record.
    seen = Recorder();
    reading.stream = OpenedStream(2048, 100, 0);
    reading.record.assign(4, '#');
    StartAssembly(&reading.assembly, &reading.stream, 4, OnCharacter, OnRecord, reading.record.data());
    Read(&reading, "abcdef\n", 8191);
    EXPECT_EQ(seen.records, Records({"abc"}));

    // Capacity 1 holds empty records only.
    seen = Recorder();
    Run("\nx\n", 0, 8191, 1);
    EXPECT_EQ(seen.records, Records({""}));
}

TEST_F(RecordAssembly, CharacterFieldStaysOneCharacter) {
    struct Widen {
        static int32_t Callback(TextFileStream* stream, int32_t, char*) {
            stream->CURRENTCHARACTERSZ[1] = 'Z';
            return 0;
        }
    };
    reading.stream = OpenedStream(16, 10, 0);
    reading.record.assign(16, '#');
    StartAssembly(&reading.assembly, &reading.stream, 16, Widen::Callback, OnRecord, reading.record.data());
    AssembleChunk(&reading.assembly, "ab\n", 3);
    EXPECT_EQ(seen.records, Records({"ab"}));
    EXPECT_EQ(reading.stream.PREVIOUSCHARACTERSZ[1], '\0');
    EXPECT_EQ(reading.stream.CURRENTCHARACTERSZ[1], '\0');
}

TEST_F(RecordAssembly, NoCallbacksAndNoBufferAreHarmless) {
    reading.stream = OpenedStream(2048, 10, 0);
    StartAssembly(&reading.assembly, &reading.stream, 2048, nullptr, nullptr, nullptr);
    AssembleChunk(&reading.assembly, "\n", 1);
    EXPECT_EQ(reading.stream.LINENUMBER, 1);
    AssembleChunk(&reading.assembly, "a", 1);
    EXPECT_EQ(reading.assembly.stopWord, 1);
    EXPECT_EQ(reading.stream.CURRENTRECORDINDEX, 0);

    reading.stream = OpenedStream(2048, 10, 0);
    StartAssembly(&reading.assembly, &reading.stream, 2048, OnCharacter, nullptr, reading.record.data());
    AssembleChunk(&reading.assembly, "ab", -5);
    EXPECT_EQ(seen.characterCalls, 0);
}

}  // namespace
