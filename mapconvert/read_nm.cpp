// nm and llvm-nm lists in BSD format: ADDR T name.
#include "mapconvert/address.h"
#include "mapconvert/formats.h"
#include "mapconvert/text.h"

namespace mapconvert {

namespace {

bool isKeptType(char type) { return std::string_view("TtDdBbRr").find(type) != std::string_view::npos; }

}  // namespace

ReadResult readNm(LineReader& lines, SymbolCollector& out, const ReadSettings&) {
    std::string_view line;
    while (out.nextLine(lines, line)) {
        std::string_view rest = line;
        const std::string_view addressText = takeToken(rest);
        const std::string_view type = takeToken(rest);
        const std::string_view name = trimBlanks(rest);
        const auto address = parseAddress(addressText);
        // Undefined symbols have no address, and file names no type.
        if (!address || line[0] == ' ' || startsWith(addressText, "0x") || type.size() != 1 || name.empty()) continue;
        if (type == "A" || type == "a") {
            out.skip(Skip::Absolute);
        } else if (!isKeptType(type[0]) || name[0] == '.') {
            // Debug, indirect and weak-undefined entries, and section names.
            out.skip(Skip::NotCodeOrData);
        } else {
            out.add(*address, name, addressText.size() <= 8);
        }
    }
    return {};
}

}  // namespace mapconvert
