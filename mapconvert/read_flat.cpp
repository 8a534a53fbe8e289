// The loader's own lines, read as a Run reads them: the address in columns
// 1 to 8, the name from column 10, or 39 when column 10 is a space. Names
// keep their case; the loader upper-cases them itself.
#include "mapconvert/address.h"
#include "mapconvert/formats.h"
#include "mapconvert/text.h"

#include <algorithm>
#include <string>

namespace mapconvert {

namespace {

// What a Run collects of one line, and what its handler keeps of a name.
constexpr size_t kRecordLimit = 2047;
constexpr size_t kRunNameLimit = 254;

struct Label {
    uint32_t address;
    std::string_view name;
};

// The record handler's steps; record has its tabs turned into spaces.
std::optional<Label> labelOf(std::string_view record) {
    if (record.find_first_not_of(' ') == std::string_view::npos || record.size() < 10) return std::nullopt;
    const size_t column = record[9] == ' ' ? 38 : 9;
    const std::string_view name = column < record.size() ? record.substr(column) : std::string_view();
    const std::string_view kept = trimBlanks(name.substr(0, kRunNameLimit));
    if (kept.empty()) return std::nullopt;
    std::string address(trimBlanks(record.substr(0, 8)));
    if (address.empty()) return std::nullopt;
    for (char& c : address) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return Label{hexToLong(address), kept};
}

}  // namespace

ReadResult readFlat(LineReader& lines, SymbolCollector& out, const ReadSettings&) {
    ReadResult result;
    std::string record;
    std::string_view line;
    while (out.nextLine(lines, line)) {
        const bool tooLong = line.size() > kRecordLimit;
        record.assign(line.substr(0, kRecordLimit));
        std::replace(record.begin(), record.end(), '\t', ' ');
        // The handler sees the record up to its first NUL.
        const std::string_view seen(record.c_str());
        if (const auto label = labelOf(seen)) {
            if (label->address == 0) {
                out.skip(Skip::AddressZero);
            } else {
                out.add(label->address, label->name, true);
            }
        }
        if (tooLong) {
            result.warnings.push_back("line " + std::to_string(lines.lineNumber()) +
                                      " is longer than 2047 characters: a Run stops reading there, so the "
                                      "lines after it were not read");
            break;
        }
    }
    return result;
}

}  // namespace mapconvert
