// The converter on arbitrary bytes, read in whatever format they are
// taken for and once more forced as the loader's own lines: no crash,
// every line written in the loader's layout, and the lines written read
// back as loader lines come out the same.
#include "fuzz_check.h"

#include "mapconvert/convert.h"
#include "mapconvert/output.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <variant>
#include <vector>

namespace {

// One folder for the files of every run of this process, removed at exit.
struct ScratchFolder {
    std::string path;
    ScratchFolder() {
        char name[] = "/tmp/fuzz_map_convert_XXXXXX";
        const char* made = mkdtemp(name);
        FUZZ_CHECK(made != nullptr, "no scratch folder");
        path = made;
    }
    ~ScratchFolder() { std::filesystem::remove_all(path); }
};

std::string scratchPath(const char* what) {
    static const ScratchFolder folder;
    return folder.path + "/" + what;
}

void writeFile(const std::string& path, const std::string& bytes) {
    FILE* file = fopen(path.c_str(), "wb");
    FUZZ_CHECK(file != nullptr, "cannot write the input");
    FUZZ_CHECK(fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size(), "short write");
    fclose(file);
}

std::string render(const mapconvert::Conversion& conversion) {
    const std::string path = scratchPath("rendered");
    FILE* file = fopen(path.c_str(), "wb+");
    FUZZ_CHECK(file != nullptr && mapconvert::writeLines(conversion, file), "cannot render the lines");
    rewind(file);
    std::string text;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
    fclose(file);
    return text;
}

bool isUpperHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

// 8 upper-case hex digits, a space, a name of 1 to 254 bytes of 32 and
// above with no blank at either end, a line feed; addresses ascending.
void checkLayout(const std::string& text) {
    size_t at = 0;
    std::string previous;
    while (at < text.size()) {
        const size_t feed = text.find('\n', at);
        FUZZ_CHECK(feed != std::string::npos, "a line without a line feed");
        const std::string line = text.substr(at, feed - at);
        FUZZ_CHECK(line.size() >= 10 && line.size() <= 9 + 254, "line length");
        for (int i = 0; i < 8; ++i) FUZZ_CHECK(isUpperHex(line[i]), "address digit");
        FUZZ_CHECK(line.compare(0, 8, "00000000") != 0, "address 0");
        FUZZ_CHECK(line[8] == ' ' && line[9] != ' ' && line.back() != ' ', "blank around the name");
        for (size_t i = 9; i < line.size(); ++i) FUZZ_CHECK(static_cast<unsigned char>(line[i]) >= 32, "control byte");
        FUZZ_CHECK(previous <= line.substr(0, 8), "addresses not ascending");
        previous = line.substr(0, 8);
        at = feed + 1;
    }
}

// Converts path with options; the lines, or nothing on a failure.
const mapconvert::Conversion* convertOrNot(const std::string& path, const mapconvert::ConvertOptions& options,
                                           std::variant<mapconvert::Conversion, mapconvert::Failure>& result) {
    result = mapconvert::convert({mapconvert::InputSpec{path, std::nullopt, std::nullopt}}, options);
    const auto* failure = std::get_if<mapconvert::Failure>(&result);
    if (failure != nullptr) FUZZ_CHECK(!failure->reason.empty(), "a failure without a reason");
    return std::get_if<mapconvert::Conversion>(&result);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = scratchPath("input");
    writeFile(input, std::string(reinterpret_cast<const char*>(data), size));
    std::variant<mapconvert::Conversion, mapconvert::Failure> result;

    mapconvert::ConvertOptions detected;
    detected.base = 0x10000000;
    detected.mapBase = 0x00400000;
    if (const auto* conversion = convertOrNot(input, detected, result)) checkLayout(render(*conversion));

    mapconvert::ConvertOptions flat;
    flat.format = mapconvert::Format::Flat;
    const auto* first = convertOrNot(input, flat, result);
    if (first == nullptr) return 0;
    const std::string text = render(*first);
    checkLayout(text);
    if (text.empty()) return 0;
    const std::string output = scratchPath("output");
    writeFile(output, text);
    std::variant<mapconvert::Conversion, mapconvert::Failure> again;
    const auto* second = convertOrNot(output, flat, again);
    FUZZ_CHECK(second != nullptr, "the lines written do not read back");
    FUZZ_CHECK(render(*second) == text, "the lines written read back differently");
    return 0;
}
