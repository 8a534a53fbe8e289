// Loading a release DLL into a fresh machine, as the tests need it.
#pragma once

#include "machine.h"

#include <gtest/gtest.h>

#include <string>

// The base the tests load at: never the DLL's preferred base, so that
// every run depends on the base relocations.
enum : uint32_t { TEST_LOAD_BASE = 0x10000000, OTHER_LOAD_BASE = 0x20000000 };

inline std::string DistPath(const char* file) { return std::string(EMU32_DIST_DIR) + "/" + file; }

struct Emu32Dll {
    Machine machine;
    LoadedDll dll;
    CallResult attach;
    ~Emu32Dll() { MachineClose(&machine); }
};

// Loads dist/file away from its preferred base and runs its process
// attach; the machine is open afterwards even when this fails.
inline ::testing::AssertionResult LoadAndAttach(const char* file, Emu32Dll* d) {
    std::string error;
    if (!MachineOpen(&d->machine, &error)) return ::testing::AssertionFailure() << error;
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(DistPath(file), &bytes))
        return ::testing::AssertionFailure() << DistPath(file) << " is missing: build the win32 preset first";
    PeImage probe;
    if (!LayOutPeImage(bytes, TEST_LOAD_BASE, &probe, &error)) return ::testing::AssertionFailure() << error;
    const uint32_t base = probe.preferredBase == TEST_LOAD_BASE ? OTHER_LOAD_BASE : TEST_LOAD_BASE;
    if (!LoadDll(&d->machine, DistPath(file), base, &d->dll, &error))
        return ::testing::AssertionFailure() << file << ": " << error;
    d->attach = NotifyDll(&d->machine, d->dll, 1);
    if (!d->attach.returned) return ::testing::AssertionFailure() << file << " attach: " << d->attach.stop;
    return ::testing::AssertionSuccess();
}

// Address of a named export of the loaded DLL; 0 when it has none.
inline uint32_t ExportAddress(const Emu32Dll& d, const std::string& name) {
    const uint32_t rva = FindExport(d.dll.image, name);
    return rva == 0 ? 0 : d.dll.image.base + rva;
}
