// A recording stand-in for the host services, for tests that link the
// portable modules directly.
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

// Every _Insertname call since the last reset, in order.
std::vector<RecordedLabel>& FakeHostLabels();
void FakeHostReset();
