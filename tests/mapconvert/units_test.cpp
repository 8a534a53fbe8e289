// The converter's small parts on their own: addresses, patterns, the
// demangling rules, input specs, format detection and the line reader.
#include "mapconvert/address.h"
#include "mapconvert/convert.h"
#include "mapconvert/demangle.h"
#include "mapconvert/formats.h"
#include "mapconvert/line_reader.h"
#include "mapconvert/name_pattern.h"
#include "tool_run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

using namespace mapconvert;

namespace {

TEST(Address, HexOnlyOneToSixteenDigits) {
    const struct {
        const char* text;
        std::optional<uint64_t> value;
    } cases[] = {
        {"00400000", 0x400000},
        {"0x400000", 0x400000},
        {"0X1a", 0x1A},
        {"ffffffffffffffff", UINT64_MAX},
        {"0x0000000140000000", 0x140000000},
        {"", std::nullopt},
        {"0x", std::nullopt},
        {"10000000000000000", std::nullopt},
        {"-1", std::nullopt},
        {"+1", std::nullopt},
        {"0o17", std::nullopt},
        {" 12", std::nullopt},
        {"12 ", std::nullopt},
        {"0x40g0", std::nullopt},
        {"0x0x1", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(parseAddress(c.text), c.value) << c.text;
}

TEST(Address, HexToLongKeepsTheLoadersQuirks) {
    EXPECT_EQ(hexToLong("00401000"), 0x401000u);
    EXPECT_EQ(hexToLong("0040100a"), 0x40102Au);
    EXPECT_EQ(hexToLong("0040 100"), 0x3F0100u);
    EXPECT_EQ(hexToLong("FFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_EQ(hexToLong(""), 0u);
}

TEST(Address, RebaseStaysWithin64Bits) {
    EXPECT_EQ(rebase(0x401000, 0x400000, 0x10000000), 0x10001000u);
    EXPECT_EQ(rebase(0x140001000, 0x140000000, 0x10000000), 0x10001000u);
    EXPECT_EQ(rebase(0x1000, 0x400000, 0x10000000), 0x0FC01000u);
    EXPECT_EQ(rebase(0x1000, 0x400000, 0x100), std::nullopt);
    EXPECT_EQ(rebase(UINT64_MAX, 0, 1), std::nullopt);
}

TEST(Pattern, ShellStyle) {
    const struct {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"??_C@_*", "??_C@_05ABCDEF@hello?$AA@", true},
        {"??_C@_*", "?run@App@@QAEXXZ", false},
        {"__imp_*", "__imp__GetTickCount@0", true},
        {"__imp_*", "_imp_x", false},
        {"*", "", true},
        {"?", "", false},
        {"a*b*c", "axxbyyc", true},
        {"a*b*c", "axxbyy", false},
        {"*.Create", "System.TObject.Create", true},
        {"[!_]*", "_main", false},
        {"[!_]*", "main", true},
        {"[a-c]x", "bx", true},
        {"[a-c]x", "dx", false},
        {"[]]", "]", true},
        {"\\*", "*", true},
        {"\\*", "a", false},
        {"[abc", "[abc", true},
        {"*/*", "a/b", true},
    };
    for (const auto& c : cases) EXPECT_EQ(matchesPattern(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
    // Stars backtrack without blowing up on a long name.
    EXPECT_FALSE(matchesPattern("*a*a*a*a*c", std::string(10000, 'a')));
}

TEST(Demangle, OneFunctionOneNameWhicheverToolListedIt) {
    const struct {
        const char* name;
        bool i386C;
        const char* shown;
    } cases[] = {
        {"_main", true, "main"},
        {"_main", false, "_main"},
        {"_f@8", true, "f"},
        {"@f@4", true, "f"},
        {"@f", true, "@f"},
        {"f@8", true, "f@8"},
        {"_", true, "_"},
        {"__ZN2ns6Widget5twiceEi", true, "ns::Widget::twice(int)"},
        {"_ZN2ns6Widget5twiceEi", false, "ns::Widget::twice(int)"},
        {"__ZL6helperi", true, "helper(int)"},
        {"_Znot_mangled", true, "_Znot_mangled"},
        {"?twice@Widget@ns@@QAEHH@Z", true, "public: int __thiscall ns::Widget::twice(int)"},
        {"?bad", true, "?bad"},
        {"ns::Widget::twice(int)", false, "ns::Widget::twice(int)"},
    };
    for (const auto& c : cases) EXPECT_EQ(demangle(c.name, c.i386C), c.shown) << c.name;
}

TEST(InputSpec, SplitsAtTheLastAtBeforeAnAddress) {
    const struct {
        const char* argument;
        const char* path;
        std::optional<uint64_t> base;
        std::optional<uint64_t> mapBase;
    } cases[] = {
        {"app.map", "app.map", std::nullopt, std::nullopt},
        {"app.map@10000000", "app.map", 0x10000000, std::nullopt},
        {"app.map@0x10000000:0x400000", "app.map", 0x10000000, 0x400000},
        {"me@host/app.map", "me@host/app.map", std::nullopt, std::nullopt},
        {"a@b@400000", "a@b", 0x400000, std::nullopt},
        {"-@400000", "-", 0x400000, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto spec = parseInputSpec(c.argument);
        ASSERT_TRUE(spec) << c.argument;
        EXPECT_EQ(spec->path, c.path);
        EXPECT_EQ(spec->base, c.base) << c.argument;
        EXPECT_EQ(spec->mapBase, c.mapBase) << c.argument;
    }
    EXPECT_FALSE(parseInputSpec("app.map@400000:"));
    EXPECT_FALSE(parseInputSpec("app.map@400000:12345678901234567"));
}

TEST(Detect, EachFixtureAsItsFormat) {
    const struct {
        const char* file;
        Format format;
    } cases[] = {
        {"link32.map", Format::Microsoft},
        {"link64.map", Format::Microsoft},
        {"lld32.map", Format::Microsoft},
        {"gnu32.map", Format::Gnu},
        {"gnu64elf.map", Format::Gnu},
        {"delphi_absolute.map", Format::Borland},
        {"delphi7_relative.map", Format::Borland},
        {"delphi_by_name.map", Format::Borland},
        {"cbuilder_segments.map", Format::Borland},
        {"list.nm", Format::Nm},
        {"app.lldmap", Format::LldMap},
    };
    for (const auto& c : cases) EXPECT_EQ(detectFormat(readFile(fixture(c.file))), c.format) << c.file;
}

TEST(Detect, NmOnlyWhenEveryAddressLineHasOneTypeLetter) {
    EXPECT_EQ(detectFormat("00401000 T _main\n00402000 D _data\n         U _x\n"), Format::Nm);
    EXPECT_EQ(detectFormat("00401000 T _main\n00402000 data\n"), Format::Flat);
    EXPECT_EQ(detectFormat("00401000 _main\r\n00402000 _data\r\n"), Format::Flat);
    EXPECT_EQ(detectFormat("hello\n00401000 _main\n"), std::nullopt);
    EXPECT_EQ(detectFormat(std::string("\0\1\2", 3)), std::nullopt);
    EXPECT_FALSE(fitsFormat(Format::Gnu, readFile(fixture("link32.map"))));
    EXPECT_TRUE(fitsFormat(Format::Flat, "junk\n0040100 short\n"));
}

// Lines of megabytes keep their first bytes, and the rest is dropped.
TEST(LineReader, BoundsLongLines) {
    const std::string dir = scratchDir("line_reader");
    const std::string path = dir + "/lines.txt";
    writeFile(path, "a\r\n" + std::string(5 << 20, 'x') + "\nb\r\r\n\nlast");
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    LineReader lines(file);
    std::string_view line;
    ASSERT_TRUE(lines.next(line));
    EXPECT_EQ(line, "a\r");
    ASSERT_TRUE(lines.next(line));
    EXPECT_TRUE(lines.cut());
    EXPECT_EQ(line, std::string(LineReader::kLineLimit, 'x'));
    lines.dropCarriageReturns();
    ASSERT_TRUE(lines.next(line));
    EXPECT_FALSE(lines.cut());
    EXPECT_EQ(line, "b");
    ASSERT_TRUE(lines.next(line));
    EXPECT_EQ(line, "");
    ASSERT_TRUE(lines.next(line));
    EXPECT_EQ(line, "last");
    EXPECT_FALSE(lines.next(line));
    EXPECT_EQ(lines.error(), 0);
    EXPECT_EQ(lines.lineNumber(), 5u);
    std::fclose(file);
}

}  // namespace
