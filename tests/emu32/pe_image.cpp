#include "pe_image.h"

#include <stdio.h>
#include <string.h>

namespace {

enum : uint32_t {
    DIR_EXPORT = 0,
    DIR_IMPORT = 1,
    DIR_BASERELOC = 5,
    DIR_TLS = 9,
    RELOC_ABSOLUTE = 0,
    RELOC_HIGHLOW = 3,
    ORDINAL_FLAG = 0x80000000u,
    PE32_MAGIC = 0x10B
};

// Every read is checked against the buffer: a malformed file gives an
// error, never a read past the end.
bool Get16(const std::vector<uint8_t>& b, uint32_t at, uint16_t* v) {
    if (at > b.size() || b.size() - at < 2) return false;
    *v = static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
    return true;
}

bool Get32(const std::vector<uint8_t>& b, uint32_t at, uint32_t* v) {
    if (at > b.size() || b.size() - at < 4) return false;
    *v = static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
         (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
    return true;
}

void Put32(std::vector<uint8_t>& b, uint32_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

bool GetText(const std::vector<uint8_t>& b, uint32_t at, std::string* text) {
    text->clear();
    for (uint32_t i = at; i < b.size(); ++i) {
        if (b[i] == 0) return true;
        text->push_back(static_cast<char>(b[i]));
    }
    return false;
}

bool Fail(std::string* error, const std::string& why) {
    *error = why;
    return false;
}

struct Directory {
    uint32_t rva;
    uint32_t size;
};

bool ParseHeaders(const std::vector<uint8_t>& file, PeImage* image, Directory* dirs,
                  uint32_t* sizeOfHeaders, std::string* error) {
    uint16_t mz = 0;
    uint32_t peAt = 0;
    uint32_t signature = 0;
    if (!Get16(file, 0, &mz) || mz != 0x5A4D) return Fail(error, "no MZ header");
    if (!Get32(file, 0x3C, &peAt) || !Get32(file, peAt, &signature) || signature != 0x4550)
        return Fail(error, "no PE signature");
    const uint32_t fileHeader = peAt + 4;
    uint16_t sectionCount = 0;
    uint16_t optionalSize = 0;
    if (!Get16(file, fileHeader, &image->machine) || !Get16(file, fileHeader + 2, &sectionCount) ||
        !Get16(file, fileHeader + 16, &optionalSize) ||
        !Get16(file, fileHeader + 18, &image->characteristics))
        return Fail(error, "truncated file header");
    const uint32_t optional = fileHeader + 20;
    uint16_t magic = 0;
    uint32_t dirCount = 0;
    if (!Get16(file, optional, &magic) || magic != PE32_MAGIC) return Fail(error, "not PE32");
    if (!Get32(file, optional + 16, &image->entryPointRva) ||
        !Get32(file, optional + 28, &image->preferredBase) ||
        !Get32(file, optional + 56, &image->sizeOfImage) ||
        !Get32(file, optional + 60, sizeOfHeaders) || !Get32(file, optional + 92, &dirCount))
        return Fail(error, "truncated optional header");
    for (uint32_t i = 0; i < 16; ++i) {
        dirs[i] = {0, 0};
        if (i < dirCount && (!Get32(file, optional + 96 + 8 * i, &dirs[i].rva) ||
                             !Get32(file, optional + 100 + 8 * i, &dirs[i].size)))
            return Fail(error, "truncated data directories");
    }
    const uint32_t table = optional + optionalSize;
    for (uint32_t i = 0; i < sectionCount; ++i) {
        const uint32_t at = table + 40 * i;
        if (at + 40 > file.size()) return Fail(error, "truncated section table");
        PeSection s;
        s.name.assign(reinterpret_cast<const char*>(&file[at]), strnlen(reinterpret_cast<const char*>(&file[at]), 8));
        Get32(file, at + 8, &s.virtualSize);
        Get32(file, at + 12, &s.virtualAddress);
        Get32(file, at + 16, &s.rawSize);
        Get32(file, at + 20, &s.rawOffset);
        Get32(file, at + 36, &s.characteristics);
        image->sections.push_back(s);
    }
    return true;
}

bool MapSections(const std::vector<uint8_t>& file, uint32_t sizeOfHeaders, PeImage* image,
                 std::string* error) {
    if (image->sizeOfImage == 0 || image->sizeOfImage > (64u << 20))
        return Fail(error, "implausible image size");
    image->memory.assign(image->sizeOfImage, 0);
    const uint32_t headers = sizeOfHeaders < file.size() ? sizeOfHeaders : static_cast<uint32_t>(file.size());
    if (headers > image->sizeOfImage) return Fail(error, "headers larger than the image");
    memcpy(image->memory.data(), file.data(), headers);
    for (const PeSection& s : image->sections) {
        uint32_t count = s.rawSize;
        if (s.virtualSize != 0 && s.virtualSize < count) count = s.virtualSize;
        if (count == 0) continue;
        if (s.rawOffset > file.size() || file.size() - s.rawOffset < count)
            return Fail(error, "section " + s.name + " lies past the end of the file");
        if (s.virtualAddress > image->sizeOfImage || image->sizeOfImage - s.virtualAddress < count)
            return Fail(error, "section " + s.name + " lies past the end of the image");
        memcpy(&image->memory[s.virtualAddress], &file[s.rawOffset], count);
    }
    return true;
}

bool ApplyRelocations(const Directory& dir, PeImage* image, std::string* error) {
    image->relocationsApplied = 0;
    if (dir.rva == 0) {
        if (image->base == image->preferredBase) return true;
        return Fail(error, "no base relocations: the image cannot move");
    }
    const uint32_t delta = image->base - image->preferredBase;
    const std::vector<uint8_t>& m = image->memory;
    uint32_t at = dir.rva;
    const uint32_t end = dir.rva + dir.size;
    while (at + 8 <= end) {
        uint32_t page = 0;
        uint32_t blockSize = 0;
        if (!Get32(m, at, &page) || !Get32(m, at + 4, &blockSize)) return Fail(error, "bad relocation block");
        if (blockSize < 8 || at + blockSize > end) return Fail(error, "bad relocation block size");
        for (uint32_t e = at + 8; e + 2 <= at + blockSize; e += 2) {
            uint16_t entry = 0;
            Get16(m, e, &entry);
            const uint32_t type = entry >> 12;
            const uint32_t target = page + (entry & 0xFFF);
            if (type == RELOC_ABSOLUTE) continue;
            if (type != RELOC_HIGHLOW) return Fail(error, "relocation type " + std::to_string(type));
            uint32_t value = 0;
            if (!Get32(m, target, &value)) return Fail(error, "relocation outside the image");
            Put32(image->memory, target, value + delta);
            ++image->relocationsApplied;
        }
        at += blockSize;
    }
    return true;
}

bool ListImports(const Directory& dir, PeImage* image, std::string* error) {
    const std::vector<uint8_t>& m = image->memory;
    if (dir.rva == 0) return true;
    for (uint32_t d = dir.rva;; d += 20) {
        uint32_t lookup = 0;
        uint32_t nameRva = 0;
        uint32_t slots = 0;
        if (!Get32(m, d, &lookup) || !Get32(m, d + 12, &nameRva) || !Get32(m, d + 16, &slots))
            return Fail(error, "truncated import directory");
        if (nameRva == 0 && slots == 0) return true;
        std::string dll;
        if (!GetText(m, nameRva, &dll)) return Fail(error, "bad import module name");
        if (lookup == 0) lookup = slots;
        for (uint32_t i = 0;; ++i) {
            uint32_t entry = 0;
            if (!Get32(m, lookup + 4 * i, &entry)) return Fail(error, "truncated import lookup table");
            if (entry == 0) break;
            PeImport imp;
            imp.dll = dll;
            imp.slotRva = slots + 4 * i;
            if (entry & ORDINAL_FLAG) {
                imp.name = "#" + std::to_string(entry & 0xFFFF);
            } else if (!GetText(m, entry + 2, &imp.name)) {
                return Fail(error, "bad import name in " + dll);
            }
            image->imports.push_back(imp);
        }
    }
}

bool ListExports(const Directory& dir, PeImage* image, std::string* error) {
    const std::vector<uint8_t>& m = image->memory;
    if (dir.rva == 0) return true;
    uint32_t nameRva = 0, ordinalBase = 0, functionCount = 0, nameCount = 0;
    uint32_t functions = 0, names = 0, nameOrdinals = 0;
    if (!Get32(m, dir.rva + 12, &nameRva) || !Get32(m, dir.rva + 16, &ordinalBase) ||
        !Get32(m, dir.rva + 20, &functionCount) || !Get32(m, dir.rva + 24, &nameCount) ||
        !Get32(m, dir.rva + 28, &functions) || !Get32(m, dir.rva + 32, &names) ||
        !Get32(m, dir.rva + 36, &nameOrdinals) || !GetText(m, nameRva, &image->exportModuleName))
        return Fail(error, "truncated export directory");
    for (uint32_t i = 0; i < functionCount; ++i) {
        PeExport e;
        e.ordinal = ordinalBase + i;
        if (!Get32(m, functions + 4 * i, &e.rva)) return Fail(error, "truncated export addresses");
        if (e.rva == 0) continue;
        for (uint32_t n = 0; n < nameCount; ++n) {
            uint16_t index = 0;
            uint32_t textRva = 0;
            if (!Get16(m, nameOrdinals + 2 * n, &index) || !Get32(m, names + 4 * n, &textRva))
                return Fail(error, "truncated export names");
            if (index == i && !GetText(m, textRva, &e.name)) return Fail(error, "bad export name");
        }
        image->exports.push_back(e);
    }
    return true;
}

bool ReadTls(const Directory& dir, PeImage* image, std::string* error) {
    image->tls = {false, 0, 0, 0, 0, 0};
    if (dir.rva == 0) return true;
    PeTls& t = image->tls;
    const std::vector<uint8_t>& m = image->memory;
    if (!Get32(m, dir.rva, &t.templateStart) || !Get32(m, dir.rva + 4, &t.templateEnd) ||
        !Get32(m, dir.rva + 8, &t.indexAddress) || !Get32(m, dir.rva + 12, &t.callbacksAddress) ||
        !Get32(m, dir.rva + 16, &t.zeroFill))
        return Fail(error, "truncated TLS directory");
    t.present = true;
    return true;
}

}  // namespace

bool LayOutPeImage(const std::vector<uint8_t>& file, uint32_t base, PeImage* image,
                   std::string* error) {
    *image = PeImage();
    image->base = base;
    Directory dirs[16];
    uint32_t sizeOfHeaders = 0;
    if (!ParseHeaders(file, image, dirs, &sizeOfHeaders, error)) return false;
    if (image->machine != 0x14C) return Fail(error, "not an i386 image");
    if (!MapSections(file, sizeOfHeaders, image, error)) return false;
    if (!ApplyRelocations(dirs[DIR_BASERELOC], image, error)) return false;
    // The TLS directory holds virtual addresses, which the relocations
    // have just moved to the new base.
    return ListImports(dirs[DIR_IMPORT], image, error) && ListExports(dirs[DIR_EXPORT], image, error) &&
           ReadTls(dirs[DIR_TLS], image, error);
}

uint32_t FindExport(const PeImage& image, const std::string& name) {
    for (const PeExport& e : image.exports) {
        if (e.name == name) return e.rva;
    }
    return 0;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
    FILE* f = fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    bytes->clear();
    uint8_t chunk[65536];
    size_t n = 0;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) bytes->insert(bytes->end(), chunk, chunk + n);
    const bool ok = ferror(f) == 0;
    fclose(f);
    return ok;
}
