#include "mapconvert/text.h"

#include "mapconvert/address.h"

namespace mapconvert {

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

std::string_view trimLeftBlanks(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    return text.substr(i);
}

std::string_view trimBlanks(std::string_view text) {
    text = trimLeftBlanks(text);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::string_view takeToken(std::string_view& text) {
    text = trimLeftBlanks(text);
    size_t i = 0;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
    const std::string_view token = text.substr(0, i);
    text.remove_prefix(i);
    return token;
}

std::optional<SegmentOffset> parseSegmentOffset(std::string_view text) {
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const std::string_view offsetText = text.substr(colon + 1);
    if (startsWith(offsetText, "0x")) return std::nullopt;
    const auto segment = parseAddress(text.substr(0, colon));
    const auto offset = parseAddress(offsetText);
    if (!segment || !offset || startsWith(text, "0x")) return std::nullopt;
    return SegmentOffset{*segment, *offset, offsetText.size()};
}

}  // namespace mapconvert
