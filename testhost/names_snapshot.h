// What the host's Names list shows: a copy of the labels of one type as
// they stood at the last redraw request, and the text of its cells. Plain
// functions, so that they can be checked without a window.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

// One row of the list: the address and where its name starts in text.
struct NamesRow {
    uint32_t address;
    uint32_t nameOffset;
};

// The names in one buffer, each with its terminator, rather than a string
// each: a million labels stay a few allocations.
struct NamesSnapshot {
    std::vector<NamesRow> rows;  // by address
    std::string text;
};

using HostNameTable = std::map<std::pair<uint32_t, int32_t>, std::string>;

// snapshot := the names of type in table, by address.
void TakeNamesSnapshot(const HostNameTable& table, int32_t type, NamesSnapshot* snapshot);

// The name of row index, or "" when there is no such row.
const char* SnapshotName(const NamesSnapshot& snapshot, size_t index);

enum : int32_t { NAMES_ADDRESS_CAPACITY = 9 };

// text := address as 8 upper-case hexadecimal digits.
void FormatNamesAddress(uint32_t address, char* text);

// text := the status line for count labels, bounded by capacity.
void FormatNamesCount(size_t count, char* text, int32_t capacity);
