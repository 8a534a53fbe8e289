// lld-link /lldmap: RVA, size, alignment, then the output section, the
// input section or the symbol, each indented one step further.
#include "mapconvert/address.h"
#include "mapconvert/formats.h"
#include "mapconvert/text.h"

namespace mapconvert {

ReadResult readLldMap(LineReader& lines, SymbolCollector& out, const ReadSettings&) {
    std::string_view line;
    while (out.nextLine(lines, line)) {
        std::string_view rest = line;
        const auto address = parseAddress(takeToken(rest));
        const auto size = parseAddress(takeToken(rest));
        const std::string_view align = takeToken(rest);
        const std::string_view name = trimBlanks(rest);
        // Only symbols have size and alignment 0.
        if (!address || size != uint64_t{0} || align != "0" || name.empty()) continue;
        out.add(*address, name, true);
    }
    ReadResult result;
    result.mapBase = 0;
    return result;
}

}  // namespace mapconvert
