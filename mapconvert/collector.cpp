#include "mapconvert/collector.h"

#include "mapconvert/demangle.h"
#include "mapconvert/name_pattern.h"
#include "mapconvert/text.h"

namespace mapconvert {

namespace {

bool hasControlByte(std::string_view name) {
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 32) return true;
    }
    return false;
}

}  // namespace

SymbolCollector::SymbolCollector(const NameRules& rules, bool lastWins) : rules_(rules), lastWins_(lastWins) {}

bool SymbolCollector::excluded(std::string_view name) const {
    for (const std::string& pattern : rules_.excludes) {
        if (matchesPattern(pattern, name)) return true;
    }
    return false;
}

void SymbolCollector::skip(Skip reason) {
    ++stats.symbolsRead;
    ++stats.skips(reason);
}

void SymbolCollector::add(uint64_t address, std::string_view name, bool i386C) {
    // A name already kept at the address has passed every rule, so the
    // later one can be dropped unseen.
    if (!rules_.all && !lastWins_ && byAddress.count(address) != 0) return skip(Skip::SameAddress);
    name = trimBlanks(name);
    if (hasControlByte(name)) return skip(Skip::ControlByte);
    if (excluded(name)) return skip(Skip::Excluded);
    std::string shown = rules_.prefix;
    if (rules_.demangle) {
        const std::string readable = demangle(name, i386C);
        if (readable != name && excluded(readable)) return skip(Skip::Excluded);
        shown += readable;
    } else {
        shown += name;
    }
    std::string_view kept = trimBlanks(shown);
    if (kept.size() > kNameLimit) {
        kept = trimBlanks(kept.substr(0, kNameLimit));
        ++stats.namesCut;
    }
    if (kept.empty() || hasControlByte(kept)) return skip(Skip::ControlByte);
    ++stats.symbolsRead;
    if (rules_.all) {
        inOrder.emplace_back(address, std::string(kept));
        return;
    }
    auto [place, added] = byAddress.try_emplace(address, kept);
    if (!added) {
        place->second = std::string(kept);
        ++stats.skips(Skip::SameAddress);
    }
}

void SymbolCollector::restart() {
    const uint64_t linesCut = stats.linesCut;
    stats = InputStats{};
    stats.linesCut = linesCut;
    byAddress.clear();
    inOrder.clear();
}

bool SymbolCollector::nextLine(LineReader& lines, std::string_view& line) {
    if (!lines.next(line)) return false;
    if (lines.cut()) ++stats.linesCut;
    return true;
}

}  // namespace mapconvert
