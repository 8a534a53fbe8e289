#include "mapconvert/address.h"

#include <cinttypes>
#include <cstdio>

namespace mapconvert {

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

static unsigned hexValue(char c) {
    if (c <= '9') return static_cast<unsigned>(c - '0');
    if (c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
    return static_cast<unsigned>(c - 'a' + 10);
}

std::string hexText(uint64_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%08" PRIX64, value);
    return text;
}

std::optional<uint64_t> parseAddress(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    if (text.empty() || text.size() > 16) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (!isHexDigit(c)) return std::nullopt;
        value = value * 16 + hexValue(c);
    }
    return value;
}

uint32_t hexToLong(std::string_view text) {
    uint32_t value = 0;
    for (char c : text) {
        const unsigned char b = static_cast<unsigned char>(c);
        const int32_t digit = b <= '9' ? b - 48 : b - 55;
        value = value * 16u + static_cast<uint32_t>(digit);
    }
    return value;
}

std::optional<uint64_t> rebase(uint64_t address, uint64_t mapBase, uint64_t base) {
    if (address >= mapBase) {
        const uint64_t result = base + (address - mapBase);
        if (result < base) return std::nullopt;
        return result;
    }
    const uint64_t below = mapBase - address;
    if (below > base) return std::nullopt;
    return base - below;
}

}  // namespace mapconvert
