#include "mapconvert/collector.h"

#include "mapconvert/demangle.h"
#include "mapconvert/name_pattern.h"
#include "mapconvert/text.h"

#include <algorithm>

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

void SymbolCollector::expect(uint64_t mapBytes) {
    // A symbol line takes some 40 bytes or more, its name less than half;
    // capped, since a 32-bit program has little address space to spare.
    constexpr uint64_t kMostSymbols = 4u << 20;
    symbols.reserve(static_cast<size_t>(std::min(mapBytes / 40, kMostSymbols)));
    names.reserve(static_cast<size_t>(std::min(mapBytes / 2, kMostSymbols * 32)));
}

void SymbolCollector::skip(Skip reason) {
    ++stats.symbolsRead;
    ++stats.skips(reason);
}

uint32_t SymbolCollector::find(uint64_t address) {
    if (ascending_) {
        if (symbols.empty() || address > symbols.back().address) return AddressIndex::kAbsent;
        if (address == symbols.back().address) return static_cast<uint32_t>(symbols.size() - 1);
        ascending_ = false;
        for (uint32_t position = 0; position < symbols.size(); ++position) index_.insert(position, symbols);
    }
    return index_.find(address, symbols);
}

void SymbolCollector::remember(uint32_t position) {
    if (!ascending_) index_.insert(position, symbols);
}

void SymbolCollector::add(uint64_t address, std::string_view name, bool i386C) {
    const uint32_t kept = rules_.all ? AddressIndex::kAbsent : find(address);
    // A name already kept at the address has passed every rule, so the
    // later one can be dropped unseen.
    if (kept != AddressIndex::kAbsent && !lastWins_) return skip(Skip::SameAddress);
    name = trimBlanks(name);
    if (hasControlByte(name)) return skip(Skip::ControlByte);
    if (excluded(name)) return skip(Skip::Excluded);
    std::string readable;
    if (rules_.demangle) {
        readable = demangle(name, i386C);
        if (readable != name && excluded(readable)) return skip(Skip::Excluded);
        name = readable;
    }
    std::string prefixed;
    if (!rules_.prefix.empty()) {
        prefixed = rules_.prefix + std::string(name);
        name = trimBlanks(prefixed);
    }
    if (name.size() > kNameLimit) {
        name = trimBlanks(name.substr(0, kNameLimit));
        ++stats.namesCut;
    }
    if (name.empty() || hasControlByte(name)) return skip(Skip::ControlByte);
    ++stats.symbolsRead;
    const uint32_t length = static_cast<uint32_t>(name.size());
    if (kept != AddressIndex::kAbsent) {
        // The later name of the loader's own lines replaces the earlier one,
        // in its place when it fits there.
        Symbol& symbol = symbols[kept];
        if (length > symbol.length) symbol.offset = names.size(), names.append(name.size(), ' ');
        names.replace(symbol.offset, length, name);
        symbol.length = length;
        ++stats.skips(Skip::SameAddress);
        return;
    }
    symbols.push_back(Symbol{address, names.size(), length, 0});
    names.append(name);
    if (!rules_.all) remember(static_cast<uint32_t>(symbols.size() - 1));
}

void SymbolCollector::restart() {
    const uint64_t linesCut = stats.linesCut;
    stats = InputStats{};
    stats.linesCut = linesCut;
    symbols.clear();
    names.clear();
    ascending_ = true;
    index_.clear();
}

bool SymbolCollector::nextLine(LineReader& lines, std::string_view& line) {
    if (!lines.next(line)) return false;
    if (lines.cut()) ++stats.linesCut;
    return true;
}

}  // namespace mapconvert
