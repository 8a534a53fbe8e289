// Runs a fuzz target once over every file of the given folders (or the
// given files): the corpus as a regression test where libFuzzer is not
// available. A failed property aborts, which fails the test.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static bool RunFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // libFuzzer never passes a null pointer, not even for an empty input.
    static const uint8_t empty = 0;
    const uint8_t* data = bytes.empty() ? &empty : reinterpret_cast<const uint8_t*>(bytes.data());
    LLVMFuzzerTestOneInput(data, bytes.size());
    return true;
}

int main(int argc, char** argv) {
    size_t runs = 0;
    for (int i = 1; i < argc; ++i) {
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(argv[i])) {
            for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
                if (entry.is_regular_file()) files.push_back(entry.path());
            }
            std::sort(files.begin(), files.end());
        } else {
            files.push_back(argv[i]);
        }
        for (const auto& f : files) {
            if (!RunFile(f)) {
                fprintf(stderr, "cannot read %s\n", f.c_str());
                return 1;
            }
            ++runs;
        }
    }
    printf("%zu inputs run\n", runs);
    // An empty corpus would make the test pass without running anything.
    return runs > 0 ? 0 : 1;
}
