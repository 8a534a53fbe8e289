#include "map_generator.h"

#include <stdio.h>

static uint32_t NextRandom(uint32_t* state) {
    // xorshift32: cheap, and the same on every platform.
    uint32_t x = *state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    *state = x;
    return x;
}

static void AppendName(std::string* text, uint32_t* state) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_@?$";
    const uint32_t length = 8 + NextRandom(state) % 53;
    text->push_back('_');
    for (uint32_t i = 1; i < length; ++i) text->push_back(letters[NextRandom(state) % (sizeof letters - 1)]);
}

static void AppendLabelLine(std::string* text, uint32_t address, bool alternateColumn, uint32_t* state) {
    char column[16];
    snprintf(column, sizeof column, "%08X ", address);
    text->append(column);
    if (alternateColumn) text->append(29, ' ');
    AppendName(text, state);
    text->append("\r\n");
}

// Lines that give no label: empty, too short, a blank or zero address.
static void AppendJunkLine(std::string* text, uint32_t* state) {
    static const char* const junk[] = {
        "",
        "                  Publics by Value",
        "          Start         Length     Name                   Class",
        "00000000 null address",
        "        \tno address",
        "short",
    };
    text->append(junk[NextRandom(state) % (sizeof junk / sizeof junk[0])]);
    text->append("\r\n");
}

size_t GenerateMapText(std::string* text, size_t targetBytes, uint32_t seed) {
    uint32_t state = seed != 0 ? seed : 1;
    uint32_t address = 0x00401000;
    size_t labels = 0;
    while (text->size() < targetBytes) {
        const uint32_t kind = NextRandom(&state) % 100;
        if (kind < 5) {
            AppendJunkLine(text, &state);
            continue;
        }
        address += 4 + NextRandom(&state) % 256;
        AppendLabelLine(text, address, kind < 20, &state);
        ++labels;
    }
    return labels;
}
