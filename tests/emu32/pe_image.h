// A 32-bit PE DLL read from its file and laid out as the Windows loader
// lays it out: headers and sections at their RVAs, base relocations applied
// for the chosen base, the import table listed for binding, the export
// table indexed by name.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

struct PeSection {
    std::string name;
    uint32_t virtualAddress;
    uint32_t virtualSize;
    uint32_t rawOffset;
    uint32_t rawSize;
    uint32_t characteristics;
};

// One entry of the import table: the slot of the import address table
// that the loader fills with the bound address.
struct PeImport {
    std::string dll;
    std::string name;  // "#N" for an import by ordinal
    uint32_t slotRva;
};

struct PeExport {
    std::string name;  // empty for an export by ordinal only
    uint32_t ordinal;
    uint32_t rva;
};

struct PeTls {
    bool present;
    uint32_t templateStart;  // virtual addresses, already moved to the new base
    uint32_t templateEnd;
    uint32_t indexAddress;
    uint32_t callbacksAddress;
    uint32_t zeroFill;
};

struct PeImage {
    uint16_t machine;
    uint16_t characteristics;
    uint32_t preferredBase;
    uint32_t base;  // where the image is laid out
    uint32_t sizeOfImage;
    uint32_t entryPointRva;
    std::vector<PeSection> sections;
    std::vector<uint8_t> memory;  // sizeOfImage bytes, as mapped at base
    std::vector<PeImport> imports;
    std::vector<PeExport> exports;
    std::string exportModuleName;
    PeTls tls;
    int32_t relocationsApplied;
};

// Parses a PE32 file and lays it out at base, relocations applied. On
// failure returns false with a reason in *error.
bool LayOutPeImage(const std::vector<uint8_t>& file, uint32_t base, PeImage* image,
                   std::string* error);

// RVA of the export called name, or 0 when there is none.
uint32_t FindExport(const PeImage& image, const std::string& name);

// Reads a whole file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes);
