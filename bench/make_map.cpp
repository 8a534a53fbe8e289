// Writes a generated MAP file: make_map PATH MEGABYTES [SEED]
#include "map_generator.h"

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: make_map PATH MEGABYTES [SEED]\n");
        return 2;
    }
    std::string text;
    const size_t bytes = static_cast<size_t>(atof(argv[2]) * 1024 * 1024);
    const size_t labels = GenerateMapText(&text, bytes, argc > 3 ? static_cast<uint32_t>(atoi(argv[3])) : 1);
    FILE* file = fopen(argv[1], "wb");
    if (file == nullptr || fwrite(text.data(), 1, text.size(), file) != text.size()) {
        fprintf(stderr, "make_map: cannot write %s\n", argv[1]);
        return 1;
    }
    fclose(file);
    printf("%zu bytes, %zu label lines\n", text.size(), labels);
    return 0;
}
