#include "mapconvert/convert.h"

#include "mapconvert/address.h"
#include "mapconvert/line_reader.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>

namespace mapconvert {

namespace {

using Reader = ReadResult (*)(LineReader&, SymbolCollector&, const ReadSettings&);

Reader readerFor(Format format) {
    switch (format) {
        case Format::Microsoft: return readMicrosoft;
        case Format::Gnu: return readGnu;
        case Format::Borland: return readBorland;
        case Format::Nm: return readNm;
        case Format::LldMap: return readLldMap;
        case Format::Flat: return readFlat;
    }
    return readFlat;
}

// Shows a line from a file that may be binary: control bytes escaped,
// and cut.
std::string printable(std::string_view line) {
    std::string shown;
    for (char c : line.substr(0, 80)) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b < 32 || b == 127) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", b);
            shown += escaped;
        } else {
            shown += c;
        }
    }
    if (line.size() > 80) shown += "...";
    return shown;
}

// The bytes left to read in a file, 0 when that cannot be told (a pipe).
uint64_t inputSize(std::FILE* file) {
    const long start = std::ftell(file);
    if (start < 0 || std::fseek(file, 0, SEEK_END) != 0) return 0;
    const long end = std::ftell(file);
    if (std::fseek(file, start, SEEK_SET) != 0) return 0;
    return end > start ? static_cast<uint64_t>(end - start) : 0;
}

// A read buffer as large as a small file, so that many small inputs (the
// fuzzer's) cost little; one block of the largest size otherwise.
size_t blockFor(uint64_t size) {
    constexpr uint64_t kSmallest = 64 << 10;
    if (size == 0) return LineReader::kLargestBlock;
    return static_cast<size_t>(std::clamp<uint64_t>(size + 1, kSmallest, LineReader::kLargestBlock));
}

struct Closer {
    void operator()(std::FILE* file) const {
        if (file != stdin) std::fclose(file);
    }
};
using File = std::unique_ptr<std::FILE, Closer>;

class Merger {
public:
    explicit Merger(bool all) : all_(all) {}

    // Rebases one input's names into the output, in the input's own list
    // to spare memory.
    void add(uint32_t input, SymbolCollector& symbols, InputReport& report) {
        const uint64_t mapBase = report.mapBaseUsed.value_or(0);
        const uint64_t base = report.baseUsed.value_or(mapBase);
        std::vector<Symbol>& list = symbols.symbols;
        size_t kept = 0;
        for (const Symbol& symbol : list) {
            const auto address = rebase(symbol.address, mapBase, base);
            if (!address || *address > 0xFFFFFFFFu) {
                ++report.stats.skips(Skip::Outside32Bits);
                continue;
            }
            if (*address == 0) {
                ++report.stats.skips(Skip::AddressZero);
                continue;
            }
            const uint32_t at = static_cast<uint32_t>(*address);
            report.lowest = report.placed ? std::min(report.lowest, at) : at;
            report.highest = report.placed ? std::max(report.highest, at) : at;
            report.placed = true;
            list[kept++] = Symbol{at, symbol.offset, symbol.length, input};
        }
        list.resize(kept);
        if (placed_.empty()) {
            placed_ = std::move(list);
        } else {
            placed_.insert(placed_.end(), list.begin(), list.end());
        }
        names_.push_back(std::move(symbols.names));
    }

    // Addresses ascending; inputs and, with --all, names in their order
    // (an input's names lie in its text in map order). Without --all the
    // last name at an address is the later input's.
    void finish(Conversion& conversion) {
        const auto order = [](const Symbol& a, const Symbol& b) {
            if (a.address != b.address) return a.address < b.address;
            return a.input != b.input ? a.input < b.input : a.offset < b.offset;
        };
        // One map in address order, the common case, needs no sorting.
        if (!std::is_sorted(placed_.begin(), placed_.end(), order)) std::sort(placed_.begin(), placed_.end(), order);
        size_t kept = 0;
        for (size_t i = 0; i < placed_.size(); ++i) {
            InputStats& stats = conversion.inputs[placed_[i].input].stats;
            if (!all_ && i + 1 < placed_.size() && placed_[i + 1].address == placed_[i].address) {
                ++stats.replaced;
                continue;
            }
            ++stats.written;
            placed_[kept++] = placed_[i];
        }
        placed_.resize(kept);
        conversion.lines = std::move(placed_);
        conversion.names = std::move(names_);
    }

private:
    bool all_;
    std::vector<Symbol> placed_;
    std::vector<std::string> names_;
};

std::optional<Failure> readInput(const InputSpec& spec, const ConvertOptions& options, const NameRules& rules,
                                 std::unique_ptr<SymbolCollector>& holder, InputReport& report) {
    const std::string& path = spec.path;
    File file(path == "-" ? stdin : std::fopen(path.c_str(), "rb"));
    if (!file) return Failure{path, std::strerror(errno)};
    const uint64_t size = inputSize(file.get());
    LineReader lines(file.get(), blockFor(size));
    const std::string_view head = lines.head();
    if (lines.error() != 0) return Failure{path, std::strerror(lines.error())};
    const std::string first = "'" + printable(firstLine(head)) + "'";
    if (options.format) {
        if (!fitsFormat(*options.format, head)) {
            const FormatInfo& info = formatInfo(*options.format);
            return Failure{path, "not a " + std::string(info.name) + " map (" + std::string(info.description) +
                                     "); its first line is " + first};
        }
        report.format = *options.format;
    } else {
        const auto found = detectFormat(head);
        if (!found) {
            return Failure{path, "no map format recognised (known: " + formatNameList() +
                                     "; --format forces one); "
                                     "its first line is " +
                                     first};
        }
        report.format = *found;
    }
    if (report.format == Format::Flat) lines.dropCarriageReturns();
    const std::optional<uint64_t> givenMapBase = spec.mapBase ? spec.mapBase : options.mapBase;
    holder = std::make_unique<SymbolCollector>(rules, report.format == Format::Flat);
    holder->expect(size);
    ReadResult read = readerFor(report.format)(lines, *holder, ReadSettings{givenMapBase});
    if (lines.error() != 0) return Failure{path, std::strerror(lines.error())};
    report.stats = holder->stats;
    report.warnings = std::move(read.warnings);
    report.mapBase = read.mapBase;
    report.mapBaseUsed = givenMapBase ? givenMapBase : read.mapBase;
    report.baseUsed = spec.base ? spec.base : options.base;
    const std::string description(formatInfo(report.format).description);
    if (report.format == Format::LldMap && !report.baseUsed) {
        return Failure{path, "an lld-link /lldmap holds RVAs only; give the module's base with --base or INPUT@BASE"};
    }
    if (report.baseUsed && !report.mapBaseUsed) {
        return Failure{path, "cannot rebase: the map states no base of its own (read as " + description +
                                 "); give it as INPUT@BASE:MAPBASE or with --map-base"};
    }
    if (report.stats.symbolsRead == 0) return Failure{path, "no symbols found (read as " + description + ")"};
    return std::nullopt;
}

std::string prefixFor(const InputSpec& spec, const ConvertOptions& options) {
    return options.modulePrefix ? options.prefix + moduleName(spec.path) + "." : options.prefix;
}

void warnOverlaps(const std::vector<InputReport>& reports, std::vector<std::string>& warnings) {
    for (size_t i = 0; i < reports.size(); ++i) {
        for (size_t j = i + 1; j < reports.size(); ++j) {
            const InputReport& a = reports[i];
            const InputReport& b = reports[j];
            if (!a.placed || !b.placed || a.highest < b.lowest || b.highest < a.lowest) continue;
            warnings.push_back("'" + a.path + "' (" + hexText(a.lowest) + "-" + hexText(a.highest) + ") and '" +
                               b.path + "' (" + hexText(b.lowest) + "-" + hexText(b.highest) +
                               ") overlap; where both name an address, the later input's name is written");
        }
    }
}

}  // namespace

std::string moduleName(const std::string& path) {
    if (path == "-") return "stdin";
    const size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

std::optional<InputSpec> parseInputSpec(const std::string& argument) {
    const size_t at = argument.rfind('@');
    if (at == std::string::npos) return InputSpec{argument, std::nullopt, std::nullopt};
    const std::string bases = argument.substr(at + 1);
    const size_t colon = bases.find(':');
    const auto base = parseAddress(std::string_view(bases).substr(0, colon));
    if (!base) return InputSpec{argument, std::nullopt, std::nullopt};
    InputSpec spec{argument.substr(0, at), base, std::nullopt};
    if (colon == std::string::npos) return spec;
    spec.mapBase = parseAddress(std::string_view(bases).substr(colon + 1));
    if (!spec.mapBase) return std::nullopt;
    return spec;
}

std::variant<Conversion, Failure> convert(const std::vector<InputSpec>& inputs, const ConvertOptions& options) {
    Conversion conversion;
    Merger merger(options.all);
    for (const InputSpec& spec : inputs) {
        const NameRules rules{options.demangle, options.all, prefixFor(spec, options), options.excludes};
        InputReport report;
        report.path = spec.path;
        std::unique_ptr<SymbolCollector> symbols;
        if (auto failure = readInput(spec, options, rules, symbols, report)) return *failure;
        merger.add(static_cast<uint32_t>(conversion.inputs.size()), *symbols, report);
        symbols.reset();
        const uint64_t outside = report.stats.skips(Skip::Outside32Bits);
        if (!report.placed && outside > 0) {
            return Failure{spec.path, "no symbol fits 32 bits (" + std::to_string(outside) +
                                          " lie at or above 4 GiB after rebasing): this debugger debugs only "
                                          "32-bit programs; --base can move a module's symbols below 4 GiB"};
        }
        conversion.inputs.push_back(std::move(report));
    }
    merger.finish(conversion);
    warnOverlaps(conversion.inputs, conversion.warnings);
    return conversion;
}

}  // namespace mapconvert
