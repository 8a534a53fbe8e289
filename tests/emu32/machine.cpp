#include "machine.h"

#include "hooks.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// The process's address space. The DLLs go wherever the tests put them,
// away from these areas.
enum : uint32_t {
    PAGE = 0x1000,
    STACK_BASE = 0x00100000,
    STACK_SIZE = 0x00100000,
    STACK_TOP = STACK_BASE + STACK_SIZE,
    SCRATCH_BASE = 0x00300000,
    SCRATCH_SIZE = 0x00100000,
    HEAP_BASE = 0x01000000,
    HEAP_SIZE = 0x01000000,
    STUB_BASE = 0x7F000000,
    STUB_SIZE = 0x00010000,
    STUB_SLOT = 8,
    CODE_BASE = 0x7F010000,
    CODE_SIZE = 0x00010000,
    RETURN_SENTINEL = CODE_BASE,  // return address of every call the harness makes
    TEB_BASE = 0x7FFDE000,
    PEB_BASE = 0x7FFDF000,
    GDT_BASE = 0x7FFE0000,
    FLAT_GDT_INDEX = 2,
    FS_GDT_INDEX = 3,
    MARK_EBX = 0xB0B0B0B0,
    MARK_ESI = 0x51515151,
    MARK_EDI = 0xD1D1D1D1,
    MARK_EBP = 0xB9B9B9B9,
    TLS_SLOTS = 64
};

const uint64_t RUN_TIMEOUT_US = 30u * 1000u * 1000u;

std::string Hex(uint64_t v) {
    char b[24];
    snprintf(b, sizeof b, "0x%08llX", static_cast<unsigned long long>(v));
    return b;
}

uint32_t ReadReg(Machine* m, int reg) {
    uint32_t v = 0;
    uc_reg_read(m->uc, reg, &v);
    return v;
}

void WriteReg(Machine* m, int reg, uint32_t v) { uc_reg_write(m->uc, reg, &v); }

bool WriteWord(Machine* m, uint32_t address, uint32_t v) { return WriteBytes(m, address, &v, 4); }

uint32_t RoundUp(uint32_t v, uint32_t to) { return (v + to - 1) / to * to; }

void OnStub(uc_engine*, uint64_t address, uint32_t, void* user) {
    Machine* m = static_cast<Machine*>(user);
    const uint32_t offset = static_cast<uint32_t>(address) - STUB_BASE;
    if (offset % STUB_SLOT != 0) return;
    const size_t index = offset / STUB_SLOT;
    if (index >= m->stubs.size()) {
        StopRun(m, "jump into the unused stub area at " + Hex(address));
        return;
    }
    const StubSlot& slot = m->stubs[index];
    if (m->trace) fprintf(stderr, "emu32: %s!%s\n", slot.dll.c_str(), slot.name.c_str());
    if (slot.spec == nullptr) {
        StopRun(m, "call of the unknown import " + slot.dll + "!" + slot.name);
        return;
    }
    uint32_t args[16] = {};
    const uint32_t esp = ReadReg(m, UC_X86_REG_ESP);
    if (slot.spec->argCount > 16 || !ReadBytes(m, esp + 4, args, 4u * slot.spec->argCount)) {
        StopRun(m, slot.name + ": arguments not on the stack");
        return;
    }
    WriteReg(m, UC_X86_REG_EAX, slot.spec->proc(m, args));
}

bool OnFault(uc_engine* uc, uc_mem_type type, uint64_t address, int size, int64_t, void* user) {
    Machine* m = static_cast<Machine*>(user);
    const char* what = "access to";
    switch (type) {
    case UC_MEM_READ_UNMAPPED: what = "read of unmapped"; break;
    case UC_MEM_WRITE_UNMAPPED: what = "write to unmapped"; break;
    case UC_MEM_FETCH_UNMAPPED: what = "fetch from unmapped"; break;
    case UC_MEM_WRITE_PROT: what = "write to read-only"; break;
    case UC_MEM_READ_PROT: what = "read of protected"; break;
    case UC_MEM_FETCH_PROT: what = "fetch from non-executable"; break;
    default: break;
    }
    uint32_t eip = 0;
    uc_reg_read(uc, UC_X86_REG_EIP, &eip);
    if (m->stop.empty())
        m->stop = std::string(what) + " memory at " + Hex(address) + " (" + std::to_string(size) +
                  " bytes), eip " + Hex(eip);
    return false;
}

void OnInterrupt(uc_engine*, uint32_t number, void* user) {
    Machine* m = static_cast<Machine*>(user);
    StopRun(m, "interrupt " + std::to_string(number) + " at eip " + Hex(ReadReg(m, UC_X86_REG_EIP)));
}

// Flat 32-bit data segments for SS, DS and ES, and FS selecting the
// thread's TEB, as on Windows. Loading any selector makes the emulator
// read its descriptor, so SS needs one too or the stack turns 16-bit.
bool SetUpThread(Machine* m) {
    const uint32_t flat[2] = {0x0000FFFF, 0x00CF9300};  // base 0, 4 GiB, read/write, ring 0
    const uint32_t limit = PAGE - 1;
    const uint32_t teb[2] = {(TEB_BASE << 16) | (limit & 0xFFFF),
                             (TEB_BASE & 0xFF000000) | (1u << 22) | (limit & 0xF0000) | (1u << 15) |
                                 (3u << 13) | (1u << 12) | (3u << 8) | ((TEB_BASE >> 16) & 0xFF)};
    if (!WriteBytes(m, GDT_BASE + 8 * FLAT_GDT_INDEX, flat, 8) ||
        !WriteBytes(m, GDT_BASE + 8 * FS_GDT_INDEX, teb, 8))
        return false;
    uc_x86_mmr gdtr = {0, GDT_BASE, 8 * (FS_GDT_INDEX + 1) - 1, 0};
    const uint32_t data = FLAT_GDT_INDEX << 3;
    const uint32_t fs = (FS_GDT_INDEX << 3) | 3;
    if (uc_reg_write(m->uc, UC_X86_REG_GDTR, &gdtr) != UC_ERR_OK ||
        uc_reg_write(m->uc, UC_X86_REG_SS, &data) != UC_ERR_OK ||
        uc_reg_write(m->uc, UC_X86_REG_DS, &data) != UC_ERR_OK ||
        uc_reg_write(m->uc, UC_X86_REG_ES, &data) != UC_ERR_OK ||
        uc_reg_write(m->uc, UC_X86_REG_FS, &fs) != UC_ERR_OK)
        return false;

    m->tlsArray = HeapAllocate(m, 4 * TLS_SLOTS);
    std::vector<uint8_t> zero(4 * TLS_SLOTS, 0);
    WriteBytes(m, m->tlsArray, zero.data(), 4 * TLS_SLOTS);
    return WriteWord(m, TEB_BASE + 0x00, 0xFFFFFFFF) &&  // end of the SEH chain
           WriteWord(m, TEB_BASE + 0x04, STACK_TOP) && WriteWord(m, TEB_BASE + 0x08, STACK_BASE) &&
           WriteWord(m, TEB_BASE + 0x18, TEB_BASE) && WriteWord(m, TEB_BASE + 0x20, 0x100) &&
           WriteWord(m, TEB_BASE + 0x24, 0x104) && WriteWord(m, TEB_BASE + 0x2C, m->tlsArray) &&
           WriteWord(m, TEB_BASE + 0x30, PEB_BASE);
}

bool MapArea(Machine* m, uint32_t base, uint32_t size, uint32_t perms, std::string* error) {
    if (uc_mem_map(m->uc, base, size, perms) == UC_ERR_OK) return true;
    *error = "cannot map " + Hex(base);
    return false;
}

uint32_t Protection(uint32_t characteristics) {
    uint32_t p = 0;
    if (characteristics & 0x40000000u) p |= UC_PROT_READ;
    if (characteristics & 0x80000000u) p |= UC_PROT_WRITE;
    if (characteristics & 0x20000000u) p |= UC_PROT_EXEC;
    return p;
}

// Each section gets its own protection, the headers and the gaps read-only,
// so a write into code or constants faults as it would on Windows.
bool ProtectImage(Machine* m, const PeImage& image, uint32_t mappedSize) {
    if (uc_mem_protect(m->uc, image.base, mappedSize, UC_PROT_READ) != UC_ERR_OK) return false;
    for (const PeSection& s : image.sections) {
        const uint32_t size = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
        if (size == 0) continue;
        const uint32_t start = s.virtualAddress / PAGE * PAGE;
        const uint32_t end = RoundUp(s.virtualAddress + size, PAGE);
        if (end > mappedSize) return false;
        if (uc_mem_protect(m->uc, image.base + start, end - start, Protection(s.characteristics)) !=
            UC_ERR_OK)
            return false;
    }
    return true;
}

bool SetUpStaticTls(Machine* m, LoadedDll* dll, std::string* error) {
    const PeTls& tls = dll->image.tls;
    if (!tls.present) return true;
    if (tls.templateEnd < tls.templateStart || m->tlsCount >= TLS_SLOTS) {
        *error = "bad TLS directory";
        return false;
    }
    const uint32_t size = tls.templateEnd - tls.templateStart;
    const uint32_t block = HeapAllocate(m, size + tls.zeroFill);
    std::vector<uint8_t> data(size + tls.zeroFill, 0);
    if (size > 0 && !ReadBytes(m, tls.templateStart, data.data(), size)) {
        *error = "TLS template outside the image";
        return false;
    }
    dll->tlsIndex = m->tlsCount++;
    WriteBytes(m, block, data.data(), static_cast<uint32_t>(data.size()));
    WriteWord(m, m->tlsArray + 4 * dll->tlsIndex, block);
    if (!WriteWord(m, tls.indexAddress, dll->tlsIndex)) {
        *error = "TLS index outside the image";
        return false;
    }
    return true;
}

}  // namespace

bool MachineOpen(Machine* m, std::string* error) {
    *m = Machine();
    m->scratchNext = SCRATCH_BASE;
    m->heapNext = HEAP_BASE;
    m->codeNext = CODE_BASE + 16;
    m->hostStatus = 1;
    m->trace = getenv("EMU32_TRACE") != nullptr;
    if (uc_open(UC_ARCH_X86, UC_MODE_32, &m->uc) != UC_ERR_OK) {
        *error = "uc_open failed";
        return false;
    }
    if (!MapArea(m, STACK_BASE, STACK_SIZE, UC_PROT_READ | UC_PROT_WRITE, error) ||
        !MapArea(m, SCRATCH_BASE, SCRATCH_SIZE, UC_PROT_READ | UC_PROT_WRITE, error) ||
        !MapArea(m, HEAP_BASE, HEAP_SIZE, UC_PROT_READ | UC_PROT_WRITE, error) ||
        !MapArea(m, STUB_BASE, STUB_SIZE, UC_PROT_READ | UC_PROT_EXEC, error) ||
        !MapArea(m, CODE_BASE, CODE_SIZE, UC_PROT_READ | UC_PROT_EXEC, error) ||
        !MapArea(m, TEB_BASE, 2 * PAGE, UC_PROT_READ | UC_PROT_WRITE, error) ||
        !MapArea(m, GDT_BASE, PAGE, UC_PROT_READ | UC_PROT_WRITE, error))
        return false;
    const uint8_t halt = 0xF4;
    WriteBytes(m, RETURN_SENTINEL, &halt, 1);
    if (!SetUpThread(m)) {
        *error = "cannot set up the thread's TEB";
        return false;
    }
    if (uc_hook_add(m->uc, &m->stubHook, UC_HOOK_CODE, reinterpret_cast<void*>(OnStub), m,
                    static_cast<uint64_t>(STUB_BASE),
                    static_cast<uint64_t>(STUB_BASE + STUB_SIZE - 1)) != UC_ERR_OK ||
        uc_hook_add(m->uc, &m->faultHook, UC_HOOK_MEM_INVALID, reinterpret_cast<void*>(OnFault), m,
                    static_cast<uint64_t>(1), static_cast<uint64_t>(0)) != UC_ERR_OK ||
        uc_hook_add(m->uc, &m->interruptHook, UC_HOOK_INTR, reinterpret_cast<void*>(OnInterrupt), m,
                    static_cast<uint64_t>(1), static_cast<uint64_t>(0)) != UC_ERR_OK) {
        *error = "cannot add the hooks";
        return false;
    }
    return true;
}

void MachineClose(Machine* m) {
    if (m->uc != nullptr) uc_close(m->uc);
    m->uc = nullptr;
}

uint32_t BindImport(Machine* m, const std::string& dll, const std::string& name) {
    const HookSpec* spec = FindHook(dll, name);
    if (spec != nullptr && spec->dataSize > 0) {
        const uint32_t block = HeapAllocate(m, spec->dataSize);
        std::vector<uint8_t> zero(spec->dataSize, 0);
        WriteBytes(m, block, zero.data(), spec->dataSize);
        return block;
    }
    if (spec != nullptr && spec->code != nullptr) return PutCode(m, spec->code, spec->codeSize);
    const uint32_t at = STUB_BASE + STUB_SLOT * static_cast<uint32_t>(m->stubs.size());
    if (at >= STUB_BASE + STUB_SIZE) return 0;
    // The stub is the callee's return; the hook runs just before it.
    const uint16_t removes = spec != nullptr ? spec->argBytes : 0;
    const uint8_t ret[3] = {static_cast<uint8_t>(removes ? 0xC2 : 0xC3), static_cast<uint8_t>(removes),
                            static_cast<uint8_t>(removes >> 8)};
    WriteBytes(m, at, ret, removes ? 3 : 1);
    m->stubs.push_back({dll, name, spec});
    return at;
}

bool LoadDll(Machine* m, const std::string& path, uint32_t base, LoadedDll* dll,
             std::string* error) {
    std::vector<uint8_t> file;
    if (!ReadWholeFile(path, &file)) {
        *error = "cannot read " + path;
        return false;
    }
    if (!LayOutPeImage(file, base, &dll->image, error)) return false;
    PeImage& image = dll->image;
    for (const PeImport& imp : image.imports) {
        const uint32_t address = BindImport(m, imp.dll, imp.name);
        if (address == 0 || imp.slotRva + 4 > image.memory.size()) {
            *error = "cannot bind " + imp.dll + "!" + imp.name;
            return false;
        }
        memcpy(&image.memory[imp.slotRva], &address, 4);
    }
    const uint32_t mapped = RoundUp(image.sizeOfImage, PAGE);
    if (!MapArea(m, base, mapped, UC_PROT_ALL, error)) return false;
    WriteBytes(m, base, image.memory.data(), static_cast<uint32_t>(image.memory.size()));
    if (!SetUpStaticTls(m, dll, error)) return false;
    if (!ProtectImage(m, image, mapped)) {
        *error = "cannot protect the sections";
        return false;
    }
    return true;
}

CallResult CallAt(Machine* m, uint32_t address, const std::vector<uint32_t>& args) {
    CallResult r = CallResult();
    m->stop.clear();
    uint32_t esp = STACK_TOP - 0x100;
    for (auto it = args.rbegin(); it != args.rend(); ++it) {
        esp -= 4;
        WriteWord(m, esp, *it);
    }
    r.espAtPush = esp;
    esp -= 4;
    WriteWord(m, esp, RETURN_SENTINEL);
    WriteReg(m, UC_X86_REG_ESP, esp);
    WriteReg(m, UC_X86_REG_EAX, 0xDEADBEEF);
    WriteReg(m, UC_X86_REG_ECX, 0xC0C0C0C0);
    WriteReg(m, UC_X86_REG_EDX, 0xD0D0D0D0);
    WriteReg(m, UC_X86_REG_EBX, MARK_EBX);
    WriteReg(m, UC_X86_REG_ESI, MARK_ESI);
    WriteReg(m, UC_X86_REG_EDI, MARK_EDI);
    WriteReg(m, UC_X86_REG_EBP, MARK_EBP);
    WriteReg(m, UC_X86_REG_EFLAGS, 0x202);  // direction flag clear, as the ABI promises

    const uc_err err = uc_emu_start(m->uc, address, RETURN_SENTINEL, RUN_TIMEOUT_US, 0);
    const uint32_t eip = ReadReg(m, UC_X86_REG_EIP);
    r.eax = ReadReg(m, UC_X86_REG_EAX);
    r.espAfter = ReadReg(m, UC_X86_REG_ESP);
    r.calleeSavedKept = ReadReg(m, UC_X86_REG_EBX) == MARK_EBX && ReadReg(m, UC_X86_REG_ESI) == MARK_ESI &&
                        ReadReg(m, UC_X86_REG_EDI) == MARK_EDI && ReadReg(m, UC_X86_REG_EBP) == MARK_EBP;
    if (!m->stop.empty()) {
        r.stop = m->stop;
    } else if (err != UC_ERR_OK) {
        r.stop = std::string(uc_strerror(err)) + " at eip " + Hex(eip);
    } else if (eip != RETURN_SENTINEL) {
        r.stop = "timed out at eip " + Hex(eip);
    } else {
        r.returned = true;
    }
    return r;
}

CallResult NotifyDll(Machine* m, const LoadedDll& dll, uint32_t reason) {
    const PeImage& image = dll.image;
    const std::vector<uint32_t> args = {image.base, reason, 0};
    for (uint32_t at = image.tls.present ? image.tls.callbacksAddress : 0; at != 0; at += 4) {
        const uint32_t callback = ReadWord(m, at);
        if (callback == 0) break;
        CallResult r = CallAt(m, callback, args);
        if (r.returned && CalleeRemoved(r) != 12) {
            r.returned = false;
            r.stop = "TLS callback " + Hex(callback) + " removed " + std::to_string(CalleeRemoved(r)) +
                     " bytes, not 12";
        }
        if (!r.returned) return r;
    }
    return CallAt(m, image.base + image.entryPointRva, args);
}

uint32_t PutCode(Machine* m, const uint8_t* code, uint32_t count) {
    const uint32_t at = m->codeNext;
    if (count > CODE_BASE + CODE_SIZE - at) return 0;
    WriteBytes(m, at, code, count);
    m->codeNext = RoundUp(at + count, 16);
    return at;
}

void StopRun(Machine* m, const std::string& why) {
    if (m->stop.empty()) m->stop = why;
    uc_emu_stop(m->uc);
}

uint32_t PutBytes(Machine* m, const void* bytes, uint32_t count) {
    const uint32_t at = m->scratchNext;
    if (count > SCRATCH_BASE + SCRATCH_SIZE - at) return 0;
    WriteBytes(m, at, bytes, count);
    m->scratchNext = RoundUp(at + count + 16, 16);
    return at;
}

uint32_t PutText(Machine* m, const std::string& text) {
    return PutBytes(m, text.c_str(), static_cast<uint32_t>(text.size() + 1));
}

bool ReadBytes(Machine* m, uint32_t address, void* bytes, uint32_t count) {
    return count == 0 || uc_mem_read(m->uc, address, bytes, count) == UC_ERR_OK;
}

bool WriteBytes(Machine* m, uint32_t address, const void* bytes, uint32_t count) {
    return count == 0 || uc_mem_write(m->uc, address, bytes, count) == UC_ERR_OK;
}

uint32_t ReadWord(Machine* m, uint32_t address) {
    uint32_t v = 0;
    ReadBytes(m, address, &v, 4);
    return v;
}

std::vector<uint8_t> ReadBlock(Machine* m, uint32_t address, uint32_t count) {
    std::vector<uint8_t> bytes(count, 0);
    ReadBytes(m, address, bytes.data(), count);
    return bytes;
}

bool ReadText(Machine* m, uint32_t address, std::string* text, uint32_t limit) {
    text->clear();
    for (uint32_t i = 0; i < limit; ++i) {
        char c = 0;
        if (!ReadBytes(m, address + i, &c, 1)) return false;
        if (c == '\0') return true;
        text->push_back(c);
    }
    return false;
}

uint32_t HeapAllocate(Machine* m, uint32_t size) {
    if (size > HEAP_SIZE) return 0;
    const uint32_t rounded = RoundUp(size == 0 ? 1 : size, 16);
    // A gap after each block, so that a small overrun lands in no block.
    if (rounded > HEAP_BASE + HEAP_SIZE - m->heapNext - 16) return 0;
    const uint32_t at = m->heapNext;
    m->heapNext += rounded + 16;
    m->heapBlocks[at] = size;
    return at;
}

bool HeapRelease(Machine* m, uint32_t address) {
    auto it = m->heapBlocks.find(address);
    if (it == m->heapBlocks.end()) return false;
    // Freed memory is never handed out again, and is filled so that a use
    // after free reads garbage.
    std::vector<uint8_t> fill(it->second, 0xDD);
    WriteBytes(m, address, fill.data(), it->second);
    m->heapBlocks.erase(it);
    return true;
}
