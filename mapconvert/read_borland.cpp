// Delphi, C++Builder and other Borland-style maps: a segment table, then
// the publics as segment:offset.
#include "mapconvert/address.h"
#include "mapconvert/formats.h"
#include "mapconvert/text.h"

#include <algorithm>
#include <map>

namespace mapconvert {

namespace {

// Delphi's own image base, for maps that do not state one.
constexpr uint64_t kDelphiImageBase = 0x00400000;
constexpr uint64_t kPage = 0x1000;

struct Segment {
    uint64_t lowest = UINT64_MAX;
    uint64_t end = 0;
    bool tls = false;
    uint64_t start = 0;
};

struct SegmentTable {
    std::map<uint64_t, Segment> segments;
    bool laidOut = false;
};

//  SSSS:OOOOOOOO LLLLLLLLH name class
void readSegmentRow(std::string_view line, SegmentTable& table) {
    std::string_view rest = line;
    const auto place = parseSegmentOffset(takeToken(rest));
    std::string_view lengthText = takeToken(rest);
    const std::string_view name = takeToken(rest);
    const std::string_view kind = takeToken(rest);
    if (!place || lengthText.empty() || lengthText.back() != 'H') return;
    lengthText.remove_suffix(1);
    const auto length = parseAddress(lengthText);
    if (!length) return;
    Segment& segment = table.segments[place->segment];
    segment.lowest = std::min(segment.lowest, place->offset);
    segment.end = std::max(segment.end, place->offset + *length);
    segment.tls = segment.tls || kind == "TLS" || name == ".tls";
}

// Where each segment starts. An absolute table gives the starts; in a
// segment-relative one (Delphi 7 and older) the first segment lies a page
// above the image base and each next one at the page after the previous
// one's end.
std::optional<uint64_t> layOut(SegmentTable& table, const ReadSettings& settings) {
    table.laidOut = true;
    if (table.segments.empty()) return std::nullopt;
    const Segment& first = table.segments.begin()->second;
    if (first.lowest != 0) {
        for (auto& [number, segment] : table.segments) segment.start = segment.tls ? 0 : segment.lowest;
        return first.lowest >= kPage ? first.lowest - kPage : 0;
    }
    const uint64_t base = settings.givenMapBase.value_or(kDelphiImageBase);
    uint64_t next = base + kPage;
    for (auto& [number, segment] : table.segments) {
        if (segment.tls) continue;
        segment.start = next;
        next = (next + segment.end + kPage - 1) / kPage * kPage;
    }
    // The map itself states no base; Delphi's default is what it implies.
    return kDelphiImageBase;
}

//  SSSS:OOOOOOOO       Name
void readPublic(std::string_view line, const SegmentTable& table, SymbolCollector& out) {
    std::string_view rest = line;
    const auto place = parseSegmentOffset(takeToken(rest));
    const std::string_view name = trimBlanks(rest);
    if (!place || name.empty()) return;
    const auto found = table.segments.find(place->segment);
    // TLS symbols are offsets, not addresses; Delphi 7 even writes TlsLast
    // as a wrapped 32-bit offset.
    const bool wrapped = place->offsetDigits <= 8 && place->offset >= 0x80000000u;
    if (found == table.segments.end() || found->second.tls || wrapped) return out.skip(Skip::Absolute);
    out.add(found->second.start + place->offset, name, false);
}

enum class Section { None, Segments, Publics };

}  // namespace

ReadResult readBorland(LineReader& lines, SymbolCollector& out, const ReadSettings& settings) {
    ReadResult result;
    SegmentTable table;
    Section section = Section::None;
    bool sawByName = false;
    std::string_view line;
    while (out.nextLine(lines, line)) {
        const bool byName = contains(line, "Publics by Name");
        if (startsWith(line, " Start ") && contains(line, " Length ")) {
            section = Section::Segments;
        } else if (byName || contains(line, "Publics by Value")) {
            if (!table.laidOut) result.mapBase = layOut(table, settings);
            // The same symbols twice: by Value replaces by Name.
            if (!byName && sawByName) out.restart();
            sawByName = sawByName || byName;
            section = Section::Publics;
        } else if (startsWith(line, "Line numbers for") || startsWith(line, "Program entry point at") ||
                   startsWith(line, "Bound resource files")) {
            section = Section::None;
        } else if (section == Section::Segments) {
            readSegmentRow(line, table);
        } else if (section == Section::Publics) {
            readPublic(line, table, out);
        }
    }
    if (!table.laidOut) result.mapBase = layOut(table, settings);
    return result;
}

}  // namespace mapconvert
