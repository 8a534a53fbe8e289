// The harness itself: that it loads as the Windows loader does, and that
// its checks of the stack, the registers and the memory can fail.
#include "emu32_fixture.h"

#include <string.h>

#include <string>
#include <vector>

namespace {

struct Bare {
    Machine machine;
    Bare() {
        std::string error;
        EXPECT_TRUE(MachineOpen(&machine, &error)) << error;
    }
    ~Bare() { MachineClose(&machine); }
};

uint32_t Code(Machine* m, const std::vector<uint8_t>& bytes) {
    return PutCode(m, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

std::vector<uint8_t> WithAddress(std::vector<uint8_t> bytes, size_t at, uint32_t address) {
    memcpy(&bytes[at], &address, 4);
    return bytes;
}

TEST(Emu32Harness, LoadsEachDllAwayFromItsPreferredBase) {
    const struct {
        const char* file;
        const char* module;
    } dlls[] = {{"Quessel.dll", "Quessel.dll"}, {"Vorlane.dll", "Vorlane.dll"}};
    for (const auto& dll : dlls) {
        Emu32Dll d;
        ASSERT_TRUE(LoadAndAttach(dll.file, &d));
        const PeImage& image = d.dll.image;
        EXPECT_NE(image.base, image.preferredBase) << dll.file;
        // Nothing is mapped at the preferred base, so a missed relocation
        // would have faulted during the attach.
        EXPECT_GT(image.relocationsApplied, 0) << dll.file;
        EXPECT_EQ(image.exportModuleName, dll.module);
        EXPECT_EQ(d.attach.eax, 1u) << dll.file << ": loading must report success";
        EXPECT_EQ(CalleeRemoved(d.attach), 12) << dll.file;
        EXPECT_TRUE(d.attach.calleeSavedKept) << dll.file;
        EXPECT_TRUE(d.machine.hostCalls.empty()) << dll.file << ": loading calls no host service";

        bool unknownBound = false;
        for (const StubSlot& s : d.machine.stubs) unknownBound = unknownBound || s.spec == nullptr;
        EXPECT_TRUE(unknownBound) << dll.file << ": imports without a hook still load";
    }
}

TEST(Emu32Harness, UnknownImportStopsTheRunNamingIt) {
    Bare b;
    const uint32_t stub = BindImport(&b.machine, "KERNEL32.dll", "NoSuchFunction");
    ASSERT_NE(stub, 0u);
    const CallResult r = CallAt(&b.machine, stub, {1, 2});
    EXPECT_FALSE(r.returned);
    EXPECT_NE(r.stop.find("KERNEL32.dll!NoSuchFunction"), std::string::npos) << r.stop;
}

TEST(Emu32Harness, StackAndRegisterChecksSeeTheConvention) {
    Bare b;
    Machine* m = &b.machine;
    const CallResult callerCleans = CallAt(m, Code(m, {0x31, 0xC0, 0xC3}), {1, 2});  // xor eax,eax; ret
    EXPECT_TRUE(callerCleans.returned) << callerCleans.stop;
    EXPECT_EQ(callerCleans.eax, 0u);
    EXPECT_EQ(CalleeRemoved(callerCleans), 0);
    EXPECT_TRUE(callerCleans.calleeSavedKept);

    const CallResult calleeCleans = CallAt(m, Code(m, {0xC2, 0x08, 0x00}), {1, 2});  // ret 8
    EXPECT_TRUE(calleeCleans.returned) << calleeCleans.stop;
    EXPECT_EQ(CalleeRemoved(calleeCleans), 8);

    const CallResult clobbers = CallAt(m, Code(m, {0x31, 0xDB, 0xC3}), {});  // xor ebx,ebx; ret
    EXPECT_TRUE(clobbers.returned);
    EXPECT_FALSE(clobbers.calleeSavedKept);
}

TEST(Emu32Harness, FaultsAreReported) {
    Emu32Dll d;
    ASSERT_TRUE(LoadAndAttach("Quessel.dll", &d));
    Machine* m = &d.machine;
    const CallResult wild = CallAt(m, 0x00000010, {});
    EXPECT_FALSE(wild.returned);
    EXPECT_NE(wild.stop.find("fetch from unmapped"), std::string::npos) << wild.stop;

    // mov dword [code of the DLL], 0; ret
    const uint32_t text = d.dll.image.base + d.dll.image.sections[0].virtualAddress;
    ASSERT_EQ(d.dll.image.sections[0].name, ".text");
    const uint32_t poke = Code(m, WithAddress({0xC7, 0x05, 0, 0, 0, 0, 0, 0, 0, 0, 0xC3}, 2, text));
    const CallResult write = CallAt(m, poke, {});
    EXPECT_FALSE(write.returned);
    EXPECT_NE(write.stop.find("write to read-only"), std::string::npos) << write.stop;
}

TEST(Emu32Harness, HeapCatchesAFreeOfAFreedBlock) {
    Bare b;
    Machine* m = &b.machine;
    const uint32_t malloc = BindImport(m, "msvcrt.dll", "malloc");
    const uint32_t free = BindImport(m, "msvcrt.dll", "free");
    const CallResult block = CallAt(m, malloc, {100});
    ASSERT_TRUE(block.returned);
    ASSERT_NE(block.eax, 0u);
    EXPECT_TRUE(CallAt(m, free, {block.eax}).returned);
    EXPECT_TRUE(CallAt(m, free, {0}).returned);
    const CallResult again = CallAt(m, free, {block.eax});
    EXPECT_FALSE(again.returned);
    EXPECT_NE(again.stop.find("not a live block"), std::string::npos) << again.stop;
}

TEST(Emu32Harness, StringRoutinesBehaveAsTheRuntimes) {
    Bare b;
    Machine* m = &b.machine;
    const uint32_t text = PutText(m, "abcdef");
    const CallResult moved = CallAt(m, BindImport(m, "msvcrt.dll", "memmove"), {text, text + 2, 5});
    ASSERT_TRUE(moved.returned) << moved.stop;
    EXPECT_EQ(moved.eax, text);
    std::string after;
    ASSERT_TRUE(ReadText(m, text, &after));
    EXPECT_EQ(after, "cdef");  // the overlapping move carried the terminator along

    const CallResult length = CallAt(m, BindImport(m, "msvcrt.dll", "strlen"), {text});
    EXPECT_EQ(length.eax, 4u);
    const uint32_t strncmp = BindImport(m, "msvcrt.dll", "strncmp");
    EXPECT_EQ(static_cast<int32_t>(CallAt(m, strncmp, {PutText(m, "ab\xe9"), PutText(m, "ab\x41"), 3}).eax), 1);
    EXPECT_EQ(CallAt(m, strncmp, {PutText(m, "abX"), PutText(m, "abY"), 2}).eax, 0u);
}

TEST(Emu32Harness, InittermCallsEveryEntryOfTheTable) {
    Bare b;
    Machine* m = &b.machine;
    const uint32_t zero = 0;
    const uint32_t counter = PutBytes(m, &zero, 4);
    const uint32_t bump = Code(m, WithAddress({0xFF, 0x05, 0, 0, 0, 0, 0xC3}, 2, counter));  // inc dword [counter]
    const uint32_t table[] = {bump, 0, bump};
    const uint32_t at = PutBytes(m, table, sizeof table);
    const CallResult r = CallAt(m, BindImport(m, "msvcrt.dll", "_initterm"), {at, at + static_cast<uint32_t>(sizeof table)});
    ASSERT_TRUE(r.returned) << r.stop;
    EXPECT_EQ(CalleeRemoved(r), 0);
    EXPECT_TRUE(r.calleeSavedKept);
    EXPECT_EQ(ReadWord(m, counter), 2u);
}

}  // namespace
