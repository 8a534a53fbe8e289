#include "mapconvert/convert.h"

#include "mapconvert/address.h"
#include "mapconvert/line_reader.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unordered_map>

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

std::string hex(uint64_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%08" PRIX64, value);
    return text;
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

struct Closer {
    void operator()(std::FILE* file) const {
        if (file != stdin) std::fclose(file);
    }
};
using File = std::unique_ptr<std::FILE, Closer>;

// Every name that will be written, with the input it came from.
struct Entry {
    uint32_t input;
    std::string name;
};

class Merger {
public:
    explicit Merger(bool all) : all_(all) {}

    // Rebases one input's names into the output; later inputs replace.
    void add(uint32_t input, SymbolCollector& symbols, InputReport& report) {
        const uint64_t mapBase = report.mapBaseUsed.value_or(0);
        const uint64_t base = report.baseUsed.value_or(mapBase);
        auto place = [&](uint64_t raw, std::string& name) {
            const auto address = rebase(raw, mapBase, base);
            if (!address || *address > 0xFFFFFFFFu) return ++report.stats.skips(Skip::Outside32Bits), void();
            if (*address == 0) return ++report.stats.skips(Skip::AddressZero), void();
            const uint32_t at = static_cast<uint32_t>(*address);
            report.lowest = report.placed ? std::min(report.lowest, at) : at;
            report.highest = report.placed ? std::max(report.highest, at) : at;
            report.placed = true;
            store(input, at, std::move(name));
        };
        for (auto& [raw, name] : symbols.inOrder) place(raw, name);
        for (auto& [raw, name] : symbols.byAddress) place(raw, name);
    }

    std::vector<Line> finish(std::vector<InputReport>& reports) {
        std::vector<Line> lines;
        if (all_) {
            std::stable_sort(everyName_.begin(), everyName_.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            for (auto& [address, entry] : everyName_) {
                ++reports[entry.input].stats.written;
                lines.push_back(Line{address, std::move(entry.name)});
            }
            return lines;
        }
        lines.reserve(oneName_.size());
        for (auto& [address, entry] : oneName_) {
            ++reports[entry.input].stats.written;
            lines.push_back(Line{address, std::move(entry.name)});
        }
        std::sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.address < b.address; });
        for (const auto& [input, count] : replaced_) reports[input].stats.replaced = count;
        return lines;
    }

private:
    void store(uint32_t input, uint32_t address, std::string&& name) {
        if (all_) {
            everyName_.emplace_back(address, Entry{input, std::move(name)});
            return;
        }
        auto [place, added] = oneName_.try_emplace(address, Entry{input, std::string()});
        if (!added) ++replaced_[place->second.input];
        place->second = Entry{input, std::move(name)};
    }

    bool all_;
    std::unordered_map<uint32_t, Entry> oneName_;
    std::vector<std::pair<uint32_t, Entry>> everyName_;
    std::unordered_map<uint32_t, uint64_t> replaced_;
};

std::optional<Failure> readInput(const InputSpec& spec, const ConvertOptions& options, const NameRules& rules,
                                 std::unique_ptr<SymbolCollector>& holder, InputReport& report) {
    const std::string& path = spec.path;
    File file(path == "-" ? stdin : std::fopen(path.c_str(), "rb"));
    if (!file) return Failure{path, std::strerror(errno)};
    LineReader lines(file.get());
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
            return Failure{path, "no map format recognised (known: " + formatNameList() + "; --format forces one); "
                                 "its first line is " + first};
        }
        report.format = *found;
    }
    if (report.format == Format::Flat) lines.dropCarriageReturns();
    const std::optional<uint64_t> givenMapBase = spec.mapBase ? spec.mapBase : options.mapBase;
    holder = std::make_unique<SymbolCollector>(rules, report.format == Format::Flat);
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
        return Failure{path, "cannot rebase: a " + description + " states no base of its own; give it as "
                             "INPUT@BASE:MAPBASE or with --map-base"};
    }
    if (report.stats.symbolsRead == 0) return Failure{path, "no symbols in this " + description};
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
            warnings.push_back("'" + a.path + "' (" + hex(a.lowest) + "-" + hex(a.highest) + ") and '" + b.path +
                               "' (" + hex(b.lowest) + "-" + hex(b.highest) +
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
    conversion.lines = merger.finish(conversion.inputs);
    warnOverlaps(conversion.inputs, conversion.warnings);
    return conversion;
}

}  // namespace mapconvert
