#include "mapconvert/formats.h"

#include "mapconvert/address.h"
#include "mapconvert/text.h"

namespace mapconvert {

namespace {

// Lines looked at to tell a format.
constexpr size_t kDetectLines = 2000;

std::vector<std::string_view> headLines(std::string_view head) {
    std::vector<std::string_view> lines;
    while (!head.empty() && lines.size() < kDetectLines) {
        const size_t feed = head.find('\n');
        if (feed == std::string_view::npos) {
            // Without a line feed the line may go on past the head.
            if (lines.empty()) lines.push_back(head);
            break;
        }
        std::string_view line = head.substr(0, feed);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        head.remove_prefix(feed + 1);
    }
    return lines;
}

bool isMicrosoftLine(std::string_view line) {
    return startsWith(line, " Preferred load address is ") ||
           (contains(line, "Publics by Value") && contains(line, "Rva+Base"));
}

bool isGnuHeading(std::string_view line) {
    return line == "Linker script and memory map" || line == "Memory Configuration" ||
           line == "Archive member included to satisfy reference by file (symbol)" ||
           line == "Allocating common symbols" || line == "Discarded input sections";
}

bool isBorlandSegmentHeading(std::string_view line) {
    return startsWith(line, " Start ") && contains(line, " Length ") && contains(line, " Name ") &&
           contains(line, " Class");
}

bool isBorlandLine(std::string_view line) {
    return isBorlandSegmentHeading(line) || contains(line, "Publics by Name") || contains(line, "Publics by Value");
}

bool isLldMapHeading(std::string_view line) {
    std::string_view rest = line;
    for (std::string_view word : {"Address", "Size", "Align", "Out", "In", "Symbol"}) {
        if (takeToken(rest) != word) return false;
    }
    return trimBlanks(rest).empty();
}

bool allHex(std::string_view text) {
    for (char c : text) {
        if (!isHexDigit(c)) return false;
    }
    return true;
}

// llvm-nm writes '?' for a type it does not know.
bool isTypeLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '?'; }

// ADDR T name, or a blank address for an undefined symbol. nm writes 8 or
// 16 digits; llvm-nm as few as the image's highest address needs.
enum class NmLine { Address, Undefined, Other };

NmLine nmLine(std::string_view line) {
    const size_t first = line.find_first_not_of(' ');
    if (first == std::string_view::npos) return NmLine::Other;
    const size_t width = first == 0 ? line.find(' ') : first - 1;
    if (width < 8 || width > 16 || line.size() < width + 4 || !isTypeLetter(line[width + 1]) ||
        line[width + 2] != ' ' || line[width + 3] == ' ') {
        return NmLine::Other;
    }
    const std::string_view address = line.substr(0, width);
    if (allHex(address)) return NmLine::Address;
    if (address.find_first_not_of(' ') == std::string_view::npos) return NmLine::Undefined;
    return NmLine::Other;
}

// nm names the file before its symbols when it lists several.
bool isNmFileLine(std::string_view line) { return !line.empty() && line.back() == ':' && !contains(line, " "); }

bool isNm(const std::vector<std::string_view>& lines, bool every) {
    size_t addressLines = 0;
    for (std::string_view line : lines) {
        const NmLine kind = nmLine(line);
        if (kind == NmLine::Address) ++addressLines;
        if (every && kind == NmLine::Other && !trimBlanks(line).empty() && !isNmFileLine(line)) return false;
    }
    return addressLines > 0;
}

// 8 columns of hex digits and blanks, then a blank, then more: the
// loader's own layout as the converter writes it.
bool isFlatLine(std::string_view line) {
    if (line.size() < 10 || (line[8] != ' ' && line[8] != '\t')) return false;
    const std::string_view address = trimBlanks(line.substr(0, 8));
    return !address.empty() && allHex(address) && !trimBlanks(line.substr(9)).empty();
}

bool isFlat(const std::vector<std::string_view>& lines) {
    size_t flatLines = 0;
    for (std::string_view line : lines) {
        if (isFlatLine(line)) {
            ++flatLines;
        } else if (!trimBlanks(line).empty()) {
            return false;
        }
    }
    return flatLines > 0;
}

template <typename Test>
bool anyLine(const std::vector<std::string_view>& lines, Test test) {
    for (std::string_view line : lines) {
        if (test(line)) return true;
    }
    return false;
}

bool fits(Format format, const std::vector<std::string_view>& lines, bool strict) {
    switch (format) {
        case Format::Microsoft: return anyLine(lines, isMicrosoftLine);
        case Format::Gnu: return anyLine(lines, isGnuHeading);
        case Format::Borland: return anyLine(lines, isBorlandLine);
        case Format::LldMap: return anyLine(lines, isLldMapHeading);
        case Format::Nm: return isNm(lines, strict);
        // A Run reads any file; forced, so does the converter.
        case Format::Flat: return !strict || isFlat(lines);
    }
    return false;
}

}  // namespace

const std::vector<FormatInfo>& knownFormats() {
    static const std::vector<FormatInfo> formats = {
        {Format::Microsoft, "link", {"msvc", "lld-link"}, "Microsoft link.exe or lld-link /map"},
        {Format::Gnu, "gnu", {"ld"}, "GNU ld -Map"},
        {Format::Borland, "borland", {"delphi", "cbuilder"}, "Delphi or C++Builder detailed map"},
        {Format::Nm, "nm", {"llvm-nm"}, "nm or llvm-nm list"},
        {Format::LldMap, "lldmap", {}, "lld-link /lldmap"},
        {Format::Flat, "flat", {"vorlane"}, "the loader's own lines"},
    };
    return formats;
}

const FormatInfo& formatInfo(Format format) {
    for (const FormatInfo& info : knownFormats()) {
        if (info.format == format) return info;
    }
    return knownFormats().front();
}

std::optional<Format> formatByName(std::string_view name) {
    for (const FormatInfo& info : knownFormats()) {
        if (info.name == name) return info.format;
        for (std::string_view alias : info.aliases) {
            if (alias == name) return info.format;
        }
    }
    return std::nullopt;
}

std::string formatNameList() {
    std::string list;
    for (const FormatInfo& info : knownFormats()) {
        if (!list.empty()) list += ", ";
        list += info.name;
    }
    return list;
}

std::optional<Format> detectFormat(std::string_view head) {
    const std::vector<std::string_view> lines = headLines(head);
    // Headings first: a link.exe map also has a Borland-style segment table.
    for (Format format : {Format::Microsoft, Format::Borland, Format::Gnu, Format::LldMap, Format::Nm, Format::Flat}) {
        if (fits(format, lines, true)) return format;
    }
    return std::nullopt;
}

bool fitsFormat(Format format, std::string_view head) { return fits(format, headLines(head), false); }

std::string_view firstLine(std::string_view head) {
    for (std::string_view line : headLines(head)) {
        if (!trimBlanks(line).empty()) return line;
    }
    return {};
}

}  // namespace mapconvert
