#include "names_snapshot.h"

#include <stdio.h>

// Sized in advance: growing by doubling would copy a large table's names
// several times over.
static void ReserveSnapshot(const HostNameTable& table, int32_t type, NamesSnapshot* snapshot) {
    size_t rows = 0;
    size_t bytes = 0;
    for (const auto& entry : table) {
        if (entry.first.second != type) continue;
        ++rows;
        bytes += entry.second.size() + 1;
    }
    snapshot->rows.reserve(rows);
    snapshot->text.reserve(bytes);
}

void TakeNamesSnapshot(const HostNameTable& table, int32_t type, NamesSnapshot* snapshot) {
    snapshot->rows.clear();
    snapshot->text.clear();
    ReserveSnapshot(table, type, snapshot);
    for (const auto& entry : table) {
        if (entry.first.second != type) continue;
        snapshot->rows.push_back({entry.first.first, static_cast<uint32_t>(snapshot->text.size())});
        snapshot->text.append(entry.second.c_str(), entry.second.size() + 1);
    }
}

const char* SnapshotName(const NamesSnapshot& snapshot, size_t index) {
    if (index >= snapshot.rows.size()) return "";
    return snapshot.text.c_str() + snapshot.rows[index].nameOffset;
}

void FormatNamesAddress(uint32_t address, char* text) {
    snprintf(text, NAMES_ADDRESS_CAPACITY, "%08X", static_cast<unsigned>(address));
}

void FormatNamesCount(size_t count, char* text, int32_t capacity) {
    snprintf(text, capacity, "%zu label%s at the last redraw", count, count == 1 ? "" : "s");
}
