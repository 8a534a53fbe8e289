// vorlane-map: turns linker maps into the lines that Vorlane's Run loads.
#include "mapconvert/address.h"
#include "mapconvert/convert.h"
#include "mapconvert/output.h"

#include <getopt.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <cstdio>
#include <string>
#include <vector>

using namespace mapconvert;

namespace {

constexpr char kTool[] = "vorlane-map";

enum LongOnly { kBase = 256, kMapBase, kFormat, kAll, kPrefix, kModulePrefix, kExclude, kDemangle, kVersion };

const option kOptions[] = {
    {"output", required_argument, nullptr, 'o'},
    {"format", required_argument, nullptr, kFormat},
    {"base", required_argument, nullptr, kBase},
    {"map-base", required_argument, nullptr, kMapBase},
    {"all", no_argument, nullptr, kAll},
    {"prefix", required_argument, nullptr, kPrefix},
    {"module-prefix", no_argument, nullptr, kModulePrefix},
    {"exclude", required_argument, nullptr, kExclude},
    {"demangle", no_argument, nullptr, kDemangle},
    {"quiet", no_argument, nullptr, 'q'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
};

void printHelp() {
    std::printf(
        "Usage: %s [options] INPUT...\n"
        "Turns linker maps into the lines that Vorlane's Run loads as labels:\n"
        "one line per address, 'AAAAAAAA NAME', addresses ascending.\n"
        "INPUT is a map file, or - for standard input, optionally with the module's\n"
        "bases: INPUT@BASE or INPUT@BASE:MAPBASE. Addresses are hexadecimal (0x optional).\n"
        "Formats: %s.\n"
        "\n"
        "Options:\n"
        "  -o, --output FILE     write to FILE (replaced only when all went well), not to standard output\n"
        "  --format NAME         read every input as NAME instead of telling the format from its content\n"
        "  --base ADDR           rebase inputs without @BASE to where the module lies in the debugged process\n"
        "  --map-base ADDR       the base the map was linked for, for inputs without :MAPBASE\n"
        "  --all                 write every name, not one per address (the last one wins in the debugger)\n"
        "  --prefix TEXT         put TEXT before every name\n"
        "  --module-prefix       put each input's file name without its extension and a dot before its names\n"
        "  --exclude PATTERN     drop names matching the shell pattern (as the map gives them or demangled); "
        "repeatable\n"
        "  --demangle            write C++ names readably and drop i386 C decorations (_f, _f@8, @f@4)\n"
        "  -q, --quiet           print no report on standard error\n"
        "  -h, --help            print this help\n"
        "  --version             print the version\n",
        kTool, formatNameList().c_str());
}

int fail(const std::string& file, const std::string& reason) {
    std::fprintf(stderr, "%s: error: '%s': %s\n", kTool, file.c_str(), reason.c_str());
    return 1;
}

int usage(const std::string& message) {
    std::fprintf(stderr, "%s: error: %s\n%s: see %s --help\n", kTool, message.c_str(), kTool, kTool);
    return 2;
}

struct CommandLine {
    ConvertOptions options;
    std::vector<InputSpec> inputs;
    std::string output;
    bool quiet = false;
};

// The address of an option, or an error message.
bool takeAddress(const char* name, const char* text, std::optional<uint64_t>& value, std::string& error) {
    value = parseAddress(text);
    if (!value) error = std::string("malformed address for --") + name + ": '" + text + "' (1 to 16 hex digits)";
    return value.has_value();
}

// 0 to go on, otherwise the exit code.
int parseCommandLine(int argc, char** argv, CommandLine& line) {
    std::string error;
    int code;
    opterr = 0;
    while ((code = getopt_long(argc, argv, ":o:qh", kOptions, nullptr)) != -1) {
        switch (code) {
            case 'o': line.output = optarg; break;
            case 'q': line.quiet = true; break;
            case 'h': printHelp(); return -1;
            case kVersion: std::printf("%s %s\n", kTool, VORLANE_VERSION); return -1;
            case kFormat:
                line.options.format = formatByName(optarg);
                if (!line.options.format) {
                    return usage(std::string("unknown format '") + optarg + "' (known: " + formatNameList() + ")");
                }
                break;
            case kBase:
                if (!takeAddress("base", optarg, line.options.base, error)) return usage(error);
                break;
            case kMapBase:
                if (!takeAddress("map-base", optarg, line.options.mapBase, error)) return usage(error);
                break;
            case kAll: line.options.all = true; break;
            case kPrefix: line.options.prefix = optarg; break;
            case kModulePrefix: line.options.modulePrefix = true; break;
            case kExclude: line.options.excludes.push_back(optarg); break;
            case kDemangle: line.options.demangle = true; break;
            case ':': return usage(std::string("option '") + argv[optind - 1] + "' needs a value");
            default: return usage(std::string("unknown option '") + argv[optind - 1] + "'");
        }
    }
    for (int i = optind; i < argc; ++i) {
        const auto spec = parseInputSpec(argv[i]);
        if (!spec) return fail(argv[i], "malformed address after '@' (INPUT@BASE or INPUT@BASE:MAPBASE, hex)");
        line.inputs.push_back(*spec);
    }
    if (line.inputs.empty()) return usage("no input; give a map file or - for standard input");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // The same bytes as on Linux: no CR LF translation, no end at ^Z.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    CommandLine line;
    if (const int code = parseCommandLine(argc, argv, line); code != 0) return code < 0 ? 0 : code;
    for (const InputSpec& input : line.inputs) {
        if (!line.output.empty() && input.path != "-" && sameFile(input.path, line.output)) {
            return fail(line.output, "is an input too; it will not be overwritten");
        }
    }
    auto result = convert(line.inputs, line.options);
    if (const Failure* failure = std::get_if<Failure>(&result)) return fail(failure->file, failure->reason);
    const Conversion& conversion = std::get<Conversion>(result);
    for (const InputReport& input : conversion.inputs) {
        for (const std::string& warning : input.warnings) {
            std::fprintf(stderr, "%s: warning: '%s': %s\n", kTool, input.path.c_str(), warning.c_str());
        }
    }
    for (const std::string& warning : conversion.warnings)
        std::fprintf(stderr, "%s: warning: %s\n", kTool, warning.c_str());
    if (line.output.empty()) {
        if (!writeLines(conversion, stdout)) return fail("-", "cannot write to standard output");
    } else if (const auto reason = replaceFile(line.output, conversion)) {
        return fail(line.output, *reason);
    }
    if (!line.quiet) {
        const std::string shown = line.output.empty() ? "standard output" : "'" + line.output + "'";
        std::fputs(formatReport(conversion, shown).c_str(), stderr);
    }
    return 0;
}
