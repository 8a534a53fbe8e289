// The map formats the converter reads and how it tells them apart.
#pragma once

#include "mapconvert/collector.h"
#include "mapconvert/line_reader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mapconvert {

enum class Format { Microsoft, Gnu, Borland, Nm, LldMap, Flat };

struct FormatInfo {
    Format format;
    // The name --format takes, then other names it accepts.
    std::string_view name;
    std::vector<std::string_view> aliases;
    std::string_view description;
};

const std::vector<FormatInfo>& knownFormats();
const FormatInfo& formatInfo(Format format);
std::optional<Format> formatByName(std::string_view name);
// "link, gnu, ..." for messages.
std::string formatNameList();

// The format of a map from its first bytes, or nothing.
std::optional<Format> detectFormat(std::string_view head);
// Whether the first bytes fit the format at all, for a forced --format.
bool fitsFormat(Format format, std::string_view head);
// The first line that is not blank, for messages.
std::string_view firstLine(std::string_view head);

struct ReadSettings {
    // The map's base given by the user, which a segment-relative Borland
    // map needs to lay out its segments.
    std::optional<uint64_t> givenMapBase;
};

struct ReadResult {
    // The base the map states, or the format's own.
    std::optional<uint64_t> mapBase;
    std::vector<std::string> warnings;
};

ReadResult readMicrosoft(LineReader& lines, SymbolCollector& out, const ReadSettings& settings);
ReadResult readGnu(LineReader& lines, SymbolCollector& out, const ReadSettings& settings);
ReadResult readBorland(LineReader& lines, SymbolCollector& out, const ReadSettings& settings);
ReadResult readNm(LineReader& lines, SymbolCollector& out, const ReadSettings& settings);
ReadResult readLldMap(LineReader& lines, SymbolCollector& out, const ReadSettings& settings);
ReadResult readFlat(LineReader& lines, SymbolCollector& out, const ReadSettings& settings);

}  // namespace mapconvert
