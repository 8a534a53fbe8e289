// Collects one input's symbols: the name rules, the exclusions and which
// name an address keeps.
#pragma once

#include "mapconvert/address_index.h"
#include "mapconvert/line_reader.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mapconvert {

// The loader keeps at most this many characters of a name.
constexpr size_t kNameLimit = 254;

enum class Skip { Absolute, Outside32Bits, AddressZero, SameAddress, ControlByte, Excluded, NotCodeOrData, Count };

struct InputStats {
    uint64_t symbolsRead = 0;
    uint64_t skipped[static_cast<size_t>(Skip::Count)] = {};
    uint64_t namesCut = 0;
    // Lines longer than a reader keeps.
    uint64_t linesCut = 0;
    uint64_t written = 0;
    // Names of this input that a later input's name replaced.
    uint64_t replaced = 0;

    uint64_t& skips(Skip reason) { return skipped[static_cast<size_t>(reason)]; }
    uint64_t skips(Skip reason) const { return skipped[static_cast<size_t>(reason)]; }
};

// A name at its address. The names lie one after another in one text,
// which costs far less memory than a string each.
struct Symbol {
    uint64_t address;
    uint64_t offset;
    uint32_t length;
    // Which input the symbol came from, once inputs are merged.
    uint32_t input;
};

struct NameRules {
    bool demangle = false;
    // Every name rather than one per address.
    bool all = false;
    // Put before every name (the --prefix text, then the module's).
    std::string prefix;
    std::vector<std::string> excludes;
};

class SymbolCollector {
public:
    // lastWins: a later name at an address replaces an earlier one, as a
    // Run does with the loader's own lines; otherwise the first one stays.
    SymbolCollector(const NameRules& rules, bool lastWins);

    // Makes room for the symbols of a map of that many bytes, so that the
    // lists are not copied over and over as they grow.
    void expect(uint64_t mapBytes);
    // One symbol of the map at its address as the map gives it.
    void add(uint64_t address, std::string_view name, bool i386C);
    // One symbol of the map that is not kept.
    void skip(Skip reason);
    // Forget everything collected so far (a map that lists its symbols twice).
    void restart();
    // The next line of the map, counting lines too long to keep whole.
    bool nextLine(LineReader& lines, std::string_view& line);

    InputStats stats;
    // One name per address in the order the addresses first came, or with
    // rules.all every name in map order.
    std::vector<Symbol> symbols;
    std::string names;

private:
    bool excluded(std::string_view name) const;
    uint32_t find(uint64_t address);
    void remember(uint32_t position);

    const NameRules& rules_;
    bool lastWins_;
    // Maps mostly list their addresses ascending; while they do, the last
    // address is all a lookup needs, and the index is built only when one
    // comes out of order.
    bool ascending_ = true;
    AddressIndex index_;
};

}  // namespace mapconvert
