// Vorlane.dll's own i686 code: the host's entry points that open no
// window, called as the debugger calls them (the caller removes the
// arguments), with the host services recording what they are asked.
#include "emu32_fixture.h"

#include <string.h>

#include <string>
#include <vector>

namespace {

const char MENU[] = "0 &Run|1 &Help,2 &About";

class Emu32Vorlane : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(LoadAndAttach("Vorlane.dll", &vorlane)); }

    // Calls an entry point and checks what every call must keep: it
    // returns, leaves the arguments for the caller to remove, and keeps
    // the callee-saved registers.
    CallResult Call(const char* name, const std::vector<uint32_t>& args) {
        Machine* m = &vorlane.machine;
        m->hostCalls.clear();
        const uint32_t address = ExportAddress(vorlane, name);
        EXPECT_NE(address, 0u) << name << " is not exported";
        const CallResult r = CallAt(m, address, args);
        EXPECT_TRUE(r.returned) << name << ": " << r.stop;
        EXPECT_EQ(CalleeRemoved(r), 0) << name << " must leave its arguments to the caller";
        EXPECT_TRUE(r.calleeSavedKept) << name;
        return r;
    }

    // Everything the DLL can write: the whole image as mapped.
    std::vector<uint8_t> Image() {
        return ReadBlock(&vorlane.machine, vorlane.dll.image.base, vorlane.dll.image.sizeOfImage);
    }

    Emu32Dll vorlane;
};

HostCall Log(int32_t highlight, const char* text) {
    return {"_Addtolist", {0, static_cast<uint32_t>(highlight), 0}, text};
}

// The text pointer differs per call; compare everything else.
std::vector<HostCall> WithoutTextPointers(std::vector<HostCall> calls) {
    for (HostCall& c : calls) {
        if (c.service == "_Addtolist") c.args[2] = 0;
    }
    return calls;
}

TEST_F(Emu32Vorlane, PlugindataCopiesTheNameAndGivesTheVersion) {
    Machine* m = &vorlane.machine;
    std::vector<uint8_t> fill(32, 0xAA);
    const uint32_t buffer = PutBytes(m, fill.data(), 32);
    EXPECT_EQ(Call("_ODBG_Plugindata", {buffer}).eax, 110u);
    const std::vector<uint8_t> after = ReadBlock(m, buffer, 32);
    EXPECT_EQ(std::string(after.begin(), after.begin() + 8), std::string("Vorlane\0", 8));
    EXPECT_EQ(after[8], 0xAA) << "nothing is written after the terminator";
    EXPECT_EQ(Call("_ODBG_Plugindata", {0}).eax, 110u);
    EXPECT_TRUE(m->hostCalls.empty());
}

TEST_F(Emu32Vorlane, PlugininitChecksTheVersionAndLogsTwoLines) {
    const std::vector<HostCall> lines = {Log(0, "Vorlane Loading Plugin v1.0"), Log(-1, "Written by: Kestrova")};
    const struct {
        int32_t version;
        int32_t result;
        bool logs;
    } cases[] = {{109, -1, false}, {110, 0, true}, {111, 0, true}, {-1, -1, false}, {INT32_MIN, -1, false}};
    for (const auto& c : cases) {
        const CallResult r = Call("_ODBG_Plugininit", {static_cast<uint32_t>(c.version), 0x00010010, 0});
        EXPECT_EQ(static_cast<int32_t>(r.eax), c.result) << "version " << c.version;
        EXPECT_EQ(WithoutTextPointers(vorlane.machine.hostCalls), c.logs ? lines : std::vector<HostCall>())
            << "version " << c.version;
    }
}

TEST_F(Emu32Vorlane, PluginmenuGivesTheMenuOnlyForTheMainMenu) {
    Machine* m = &vorlane.machine;
    std::vector<uint8_t> fill(4096, 0xAA);
    const uint32_t buffer = PutBytes(m, fill.data(), 4096);

    EXPECT_EQ(Call("_ODBG_Pluginmenu", {1, buffer, 0}).eax, 0u);
    EXPECT_EQ(ReadBlock(m, buffer, 4096), fill) << "origin 1 leaves the buffer alone";

    EXPECT_EQ(Call("_ODBG_Pluginmenu", {0, buffer, 0}).eax, 1u);
    const std::vector<uint8_t> after = ReadBlock(m, buffer, 4096);
    EXPECT_EQ(std::string(after.begin(), after.begin() + 24), std::string(MENU, 24));
    EXPECT_EQ(std::vector<uint8_t>(after.begin() + 24, after.end()), std::vector<uint8_t>(4096 - 24, 0xAA));

    EXPECT_EQ(Call("_ODBG_Pluginmenu", {0, 0, 0}).eax, 1u) << "a null buffer still gives 1";
    EXPECT_TRUE(m->hostCalls.empty());
}

TEST_F(Emu32Vorlane, EmptyEntryPointsHaveNoEffect) {
    const struct {
        const char* name;
        bool hasResult;
        std::vector<uint32_t> args;
    } entries[] = {
        {"_ODBG_Pluginmainloop", false, {0x00300000}},
        {"_ODBG_Pluginsaveudd", false, {0x00300000, 0x10}},
        {"_ODBG_Pluginuddrecord", true, {0x00300000, 0x10, 0x55, 4, 0x00300000}},
        {"_ODBG_Pluginshortcut", true, {0, 0, 0, 0, 0x41, 0}},
        {"_ODBG_Pluginreset", false, {}},
        {"_ODBG_Pluginclose", true, {}},
        {"_ODBG_Plugindestroy", false, {}},
        {"_ODBG_Plugincmd", true, {2, 0x00300000, 0x00300000}},
    };
    for (const auto& e : entries) {
        const std::vector<uint8_t> before = Image();
        const CallResult r = Call(e.name, e.args);
        if (e.hasResult) {
            EXPECT_EQ(r.eax, 0u) << e.name;
        }
        EXPECT_TRUE(vorlane.machine.hostCalls.empty()) << e.name;
        EXPECT_TRUE(Image() == before) << e.name << " changed the DLL's data";
    }
}

TEST_F(Emu32Vorlane, PluginactionIgnoresOtherOriginsAndActions) {
    for (const std::vector<uint32_t>& args : {std::vector<uint32_t>{1, 0, 0}, std::vector<uint32_t>{1, 2, 0},
                                              std::vector<uint32_t>{0, 3, 0}, std::vector<uint32_t>{0, 0xFFFFFFFF, 0}}) {
        const std::vector<uint8_t> before = Image();
        Call("_ODBG_Pluginaction", args);
        EXPECT_TRUE(vorlane.machine.hostCalls.empty()) << "origin " << args[0] << " action " << args[1];
        EXPECT_TRUE(Image() == before) << "origin " << args[0] << " action " << args[1];
    }
}

TEST_F(Emu32Vorlane, DetachRunsCleanly) {
    const CallResult r = NotifyDll(&vorlane.machine, vorlane.dll, 0);
    EXPECT_TRUE(r.returned) << r.stop;
    EXPECT_EQ(CalleeRemoved(r), 12);
}

}  // namespace
