// Writes a linker map of a given size for the converter's benchmark: a
// Microsoft link.exe map or a GNU ld map, with every symbol at its own
// address or with the symbols spread over a few addresses.
//   make_linker_map link|gnu FILE MEGABYTES [DISTINCT_ADDRESSES]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr uint32_t kBase = 0x00400000;

void writeLink(std::FILE* out, uint64_t bytes, uint64_t distinct) {
    std::fprintf(out,
                 " bench\n\n Timestamp is 4a5bc123 (Mon Jul 13 12:00:00 2009)\n\n"
                 " Preferred load address is %08X\n\n"
                 " Start         Length     Name                   Class\n"
                 " 0001:00000000 08000000H .text                   CODE\n\n"
                 "  Address         Publics by Value              Rva+Base       Lib:Object\n\n",
                 kBase);
    uint64_t written = 0;
    for (uint64_t i = 0; written < bytes; ++i) {
        const uint32_t offset = static_cast<uint32_t>((distinct != 0 ? i % distinct : i) * 16 % 0x7FFF0000u);
        const int n = std::fprintf(
            out, " 0001:%08X       ?function_%llu@Bench@@QAEHH@Z %08X f   bench.lib:unit%llu.obj\n", offset,
            static_cast<unsigned long long>(i), kBase + 0x1000 + offset, static_cast<unsigned long long>(i / 64));
        written += static_cast<uint64_t>(n);
    }
    std::fprintf(out, "\n entry point at        0001:00000000\n\n Static symbols\n\n");
}

void writeGnu(std::FILE* out, uint64_t bytes, uint64_t distinct) {
    std::fprintf(out,
                 "Memory Configuration\n\nName             Origin             Length             Attributes\n"
                 "*default*        0x00000000         0xffffffff\n\nLinker script and memory map\n\n"
                 "                0x%08x                        __image_base__ = 0x%x\n",
                 kBase, kBase);
    uint64_t written = 0;
    for (uint64_t i = 0; written < bytes; ++i) {
        const uint32_t address =
            kBase + 0x1000 + static_cast<uint32_t>((distinct != 0 ? i % distinct : i) * 16 % 0x7FFF0000u);
        int n = 0;
        if (i % 8 == 0)
            n += std::fprintf(out, " .text          0x%08x       0x80 unit%llu.o\n", address,
                              static_cast<unsigned long long>(i / 8));
        n += std::fprintf(out, "                0x%08x                bench::function_%llu(int, double)\n", address,
                          static_cast<unsigned long long>(i));
        written += static_cast<uint64_t>(n);
    }
    std::fprintf(out, "OUTPUT(bench.exe pei-i386)\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || (std::strcmp(argv[1], "link") != 0 && std::strcmp(argv[1], "gnu") != 0)) {
        std::fprintf(stderr, "usage: make_linker_map link|gnu FILE MEGABYTES [DISTINCT_ADDRESSES]\n");
        return 2;
    }
    std::FILE* out = std::fopen(argv[2], "wb");
    if (out == nullptr) {
        std::perror(argv[2]);
        return 1;
    }
    const uint64_t bytes = std::strtoull(argv[3], nullptr, 10) << 20;
    const uint64_t distinct = argc > 4 ? std::strtoull(argv[4], nullptr, 10) : 0;
    if (std::strcmp(argv[1], "link") == 0) {
        writeLink(out, bytes, distinct);
    } else {
        writeGnu(out, bytes, distinct);
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
