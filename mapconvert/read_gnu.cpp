// GNU ld -Map (MinGW PE and ELF): the symbol lines of the memory map.
#include "mapconvert/address.h"
#include "mapconvert/formats.h"
#include "mapconvert/text.h"

namespace mapconvert {

namespace {

constexpr std::string_view kIndent = "                ";

}  // namespace

ReadResult readGnu(LineReader& lines, SymbolCollector& out, const ReadSettings&) {
    ReadResult result;
    bool inMap = false;
    std::string_view line;
    while (out.nextLine(lines, line)) {
        if (!inMap) {
            inMap = line == "Linker script and memory map";
            continue;
        }
        if (startsWith(line, "OUTPUT(")) break;
        // Symbols, assignments and continuations have the address at column
        // 17; section, fill and LOAD lines start elsewhere.
        if (!startsWith(line, kIndent) || !startsWith(line.substr(kIndent.size()), "0x")) continue;
        std::string_view rest = line.substr(kIndent.size());
        const auto address = parseAddress(takeToken(rest));
        rest = trimBlanks(rest);
        if (!address || rest.empty()) continue;
        // A continuation: the address and size of an input section whose
        // name was too long for its own line.
        if (startsWith(rest, "0x")) continue;
        const size_t assignment = rest.find(" = ");
        if (assignment != std::string_view::npos) {
            if (trimBlanks(rest.substr(0, assignment)) == "__image_base__" && !result.mapBase) {
                result.mapBase = address;
            }
            continue;
        }
        if (startsWith(rest, "PROVIDE (") || startsWith(rest, "[!provide]")) continue;
        out.add(*address, rest, false);
    }
    return result;
}

}  // namespace mapconvert
