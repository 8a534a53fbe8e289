// Hexadecimal addresses as the converter's options and the maps write them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mapconvert {

// 1 to 16 hex digits, with or without 0x: a debugger's way of writing an
// address. Anything else (octal, decimal, a sign, blanks) is malformed.
std::optional<uint64_t> parseAddress(std::string_view text);

// The loader's HexToLong: every byte counts by the same formula, so lower
// case and blanks give odd values instead of being rejected.
uint32_t hexToLong(std::string_view text);

// address - mapBase + base, or nothing when the result leaves 64 bits.
std::optional<uint64_t> rebase(uint64_t address, uint64_t mapBase, uint64_t base);

bool isHexDigit(char c);

// 0x and at least 8 upper-case digits, for messages.
std::string hexText(uint64_t value);

}  // namespace mapconvert
