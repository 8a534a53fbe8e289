// Small helpers for taking map lines apart.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace mapconvert {

bool startsWith(std::string_view text, std::string_view prefix);
bool contains(std::string_view text, std::string_view part);
// The leading run of non-blank bytes, taken off text along with the blanks
// before it.
std::string_view takeToken(std::string_view& text);
// Blanks are spaces and tabs, as for the loader.
std::string_view trimLeftBlanks(std::string_view text);
std::string_view trimBlanks(std::string_view text);

struct SegmentOffset {
    uint64_t segment;
    uint64_t offset;
    // Hex digits of the offset, to tell wrapped 32-bit values.
    size_t offsetDigits;
};

// SSSS:OOOOOOOO, both parts hexadecimal.
std::optional<SegmentOffset> parseSegmentOffset(std::string_view text);

}  // namespace mapconvert
