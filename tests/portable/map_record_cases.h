// MAP records and the labels each must give, shared by every build's tests
// of the record handler, so that a difference between builds fails a test.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

struct RecordedLabel {
    uint32_t address;
    int32_t type;
    std::string name;
    bool operator==(const RecordedLabel& other) const {
        return address == other.address && type == other.type && name == other.name;
    }
};

struct MapRecordCase {
    std::string record;
    std::vector<RecordedLabel> labels;
};

// front, filled out with spaces up to the 0-based index, then tail.
inline std::string PaddedRecord(const std::string& front, size_t index, const std::string& tail) {
    std::string s = front;
    s.resize(index, ' ');
    return s + tail;
}

inline std::vector<MapRecordCase> MapRecordCases() {
    const std::string longName(300, 'n');
    return {
        {"00401000 _main", {{0x401000, 49, "_MAIN"}}},
        {PaddedRecord("00401000", 38, "start"), {{0x401000, 49, "START"}}},
        {"  401000 foo", {{0x401000, 49, "FOO"}}},
        {"00401000 main f module", {{0x401000, 49, "MAIN F MODULE"}}},
        {"00401000 \tname\t ", {{0x401000, 49, "NAME"}}},
        {"", {}},
        {"              ", {}},
        {"\t\t\t\t\t\t\t\t\t\t\t\t", {}},
        {"00401000", {}},
        {"00401000 ", {}},
        {"00401000  short name", {}},
        {PaddedRecord("00401000", 38, ""), {}},
        {PaddedRecord("00401000", 38, "   "), {}},
        {"00000000 zero", {}},
        {"         blank", {}},
        {"FFFFFFFF top", {{0xFFFFFFFF, 49, "TOP"}}},
        {"0040100a low", {{0x40102A, 49, "LOW"}}},
        {"0040 100 inner", {{0x3F0100, 49, "INNER"}}},
        {"00401000x" + longName, {{0x401000, 49, std::string(254, 'N')}}},
        {"00401000x" + std::string(250, 'n') + "      tail", {{0x401000, 49, std::string(250, 'N')}}},
        {"00401000 caf\xe9_\xff", {{0x401000, 49, "CAF\xe9_\xff"}}},
        {"00401000:name", {{0x401000, 49, "NAME"}}},
    };
}
