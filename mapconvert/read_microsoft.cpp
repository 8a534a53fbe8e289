// Microsoft link.exe and lld-link /map: the Publics by Value and the
// Static symbols at their Rva+Base address.
#include "mapconvert/address.h"
#include "mapconvert/formats.h"
#include "mapconvert/text.h"

namespace mapconvert {

namespace {

enum class Section { None, Symbols };

//  SSSS:OOOOOOOO       name       Rva+Base [f] [i]  Lib:Object
void readSymbolLine(std::string_view line, SymbolCollector& out, const std::optional<uint64_t>& mapBase) {
    std::string_view rest = line;
    const auto place = parseSegmentOffset(takeToken(rest));
    const std::string_view name = takeToken(rest);
    const auto address = parseAddress(takeToken(rest));
    if (!place || name.empty() || !address) return;
    // Segment 0 holds absolute and linker-made values, not code or data.
    if (place->segment == 0) return out.skip(Skip::Absolute);
    const bool i386 = mapBase ? *mapBase <= 0xFFFFFFFFu : *address <= 0xFFFFFFFFu;
    out.add(*address, name, i386);
}

}  // namespace

ReadResult readMicrosoft(LineReader& lines, SymbolCollector& out, const ReadSettings&) {
    ReadResult result;
    Section section = Section::None;
    std::string_view line;
    while (out.nextLine(lines, line)) {
        if (startsWith(line, " Preferred load address is ")) {
            result.mapBase = parseAddress(trimBlanks(line.substr(27)));
        } else if (contains(line, "Publics by Value") || trimBlanks(line) == "Static symbols") {
            section = Section::Symbols;
        } else if (startsWith(line, " entry point at") || startsWith(line, " Exports") ||
                   startsWith(line, "Line numbers for")) {
            section = Section::None;
        } else if (section == Section::Symbols) {
            readSymbolLine(line, out, result.mapBase);
        }
    }
    return result;
}

}  // namespace mapconvert
