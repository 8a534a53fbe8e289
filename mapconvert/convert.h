// The whole conversion: every input read, rebased, selected and merged
// into the loader's lines, with what the report says about it.
#pragma once

#include "mapconvert/collector.h"
#include "mapconvert/formats.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace mapconvert {

struct InputSpec {
    // "-" is standard input.
    std::string path;
    std::optional<uint64_t> base;
    std::optional<uint64_t> mapBase;
};

struct ConvertOptions {
    std::optional<Format> format;
    // For the inputs that carry no bases of their own.
    std::optional<uint64_t> base;
    std::optional<uint64_t> mapBase;
    bool all = false;
    bool demangle = false;
    bool modulePrefix = false;
    std::string prefix;
    std::vector<std::string> excludes;
};

struct InputReport {
    std::string path;
    Format format = Format::Flat;
    // What the map states (or its format implies), and what was used.
    std::optional<uint64_t> mapBase;
    std::optional<uint64_t> mapBaseUsed;
    std::optional<uint64_t> baseUsed;
    InputStats stats;
    // Whether any name fits 32 bits, and the range of those that do.
    bool placed = false;
    uint32_t lowest = 0;
    uint32_t highest = 0;
    std::vector<std::string> warnings;
};

struct Conversion {
    // The lines in the order written; each one's address fits 32 bits and
    // its name lies in names[input].
    std::vector<Symbol> lines;
    std::vector<std::string> names;
    std::vector<InputReport> inputs;
    std::vector<std::string> warnings;

    std::string_view nameOf(const Symbol& line) const {
        return std::string_view(names[line.input]).substr(line.offset, line.length);
    }
};

struct Failure {
    std::string file;
    std::string reason;
};

std::variant<Conversion, Failure> convert(const std::vector<InputSpec>& inputs, const ConvertOptions& options);

// "foo" of "dir/foo.map", for --module-prefix; "stdin" for "-".
std::string moduleName(const std::string& path);

// INPUT, INPUT@BASE or INPUT@BASE:MAPBASE; an address after the last '@'
// splits it. Nothing when what follows BASE is not ":MAPBASE".
std::optional<InputSpec> parseInputSpec(const std::string& argument);

}  // namespace mapconvert
