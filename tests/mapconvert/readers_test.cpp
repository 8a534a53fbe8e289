// Each reader on small fixtures written from the formats' documentation:
// the lines written and the counts the report gives.
#include "tool_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ReaderCase {
    const char* name;
    std::vector<std::string> args;  // a leading '@' marks a fixture
    const char* lines;
    std::vector<std::string> reportParts;
    bool warns = false;
};

const ReaderCase kReaderCases[] = {
    {"link32",
     {"@link32.map"},
     "00401000 _main\n00401010 ?run@App@@QAEXXZ\n00401020 ??_EWidget@@UAEPAXI@Z\n00401030 _helper@8\n"
     "00401040 @fast@4\n00401050 _static_helper\n00402000 ??_C@_05ABCDEF@hello?$AA@\n"
     "00402010 __imp__GetTickCount@0\n00403000 _counter\n",
     {"Microsoft link.exe", "map base 0x00400000", "symbols read 13, lines written 9", "absolute 2", "same address 2"}},
    {"link32 excludes",
     {"@link32.map", "--exclude", "??_C@_*", "--exclude", "__imp_*"},
     "00401000 _main\n00401010 ?run@App@@QAEXXZ\n00401020 ??_EWidget@@UAEPAXI@Z\n00401030 _helper@8\n"
     "00401040 @fast@4\n00401050 _static_helper\n00403000 _counter\n",
     {"excluded 2"}},
    {"link64 rebased",
     {"@link64.map@10000000"},
     "10001000 main\n10001040 ?run@App@@QEAAXXZ\n10001080 static_helper\n10003000 counter\n",
     {"map base 0x140000000, base used 0x10000000", "absolute 1"}},
    {"lld-link 16 digits",
     {"@lld32.map"},
     "10001000 _add_numbers\n10001010 ?twice@Widget@ns@@QAEHH@Z\n10001050 ?helper@@YAHH@Z\n"
     "10003000 ?global_counter@@3HA\n",
     {"map base 0x10000000"}},
    {"gnu 32-bit PE",
     {"@gnu32.map"},
     "00401000 WinMainCRTStartup\n00401010 mainCRTStartup\n004015B0 add_numbers\n004015CC ns::Widget::twice(int)\n"
     "004015EC call_std@4\n00401609 double ns::twice<double>(double)\n00401650 in_long_section\n"
     "00403008 global_counter\n0040300C vtable for ns::Widget\n",
     {"GNU ld", "map base 0x00400000", "symbols read 10", "same address 1"}},
    {"gnu 32-bit PE rebased",
     {"@gnu32.map", "--base", "0x10000000"},
     "10001000 WinMainCRTStartup\n10001010 mainCRTStartup\n100015B0 add_numbers\n100015CC ns::Widget::twice(int)\n"
     "100015EC call_std@4\n10001609 double ns::twice<double>(double)\n10001650 in_long_section\n"
     "10003008 global_counter\n1000300C vtable for ns::Widget\n",
     {"base used 0x10000000"}},
    {"gnu 64-bit ELF", {"@gnu64elf.map"}, "00001139 main\n00001150 helper(int)\n00004010 counter\n", {"map base none"}},
    {"gnu ELF with its base given",
     {"@gnu64elf.map@10000000:0"},
     "10001139 main\n10001150 helper(int)\n10004010 counter\n",
     {"map base 0x00000000 (given)"}},
    {"delphi absolute table",
     {"@delphi_absolute.map"},
     "00401010 System.SysUtils.Format\n00401020 Generics.Collections.TList<Unit2.TRecord>.Add\n00401030 ..\n"
     "004F4000 Unit1.Form1\n00500008 Extra.Thing\n",
     {"Delphi", "map base 0x00400000", "symbols read 7", "absolute 2"}},
    {"delphi 7 relative table",
     {"@delphi7_relative.map"},
     "00401000 Finalization\n0048D85B TForm1.Button1Click\n0048E000 Application\n00490000 BssVar\n",
     {"map base 0x00400000", "absolute 2"}},
    {"delphi 7 rebased",
     {"@delphi7_relative.map@10000000"},
     "10001000 Finalization\n1008D85B TForm1.Button1Click\n1008E000 Application\n10090000 BssVar\n",
     {"base used 0x10000000"}},
    {"delphi 7 laid out at a given map base",
     {"@delphi7_relative.map", "--map-base", "0x00800000"},
     "00801000 Finalization\n0088D85B TForm1.Button1Click\n0088E000 Application\n00890000 BssVar\n",
     {"map base 0x00800000 (given)"}},
    {"delphi publics by name only", {"@delphi_by_name.map"}, "00401010 Alpha.First\n00401020 Zed.Last\n", {}},
    {"nm",
     {"@list.nm"},
     "00401000 _main\n00401010 _static_helper\n00401020 __ZN2ns6Widget5twiceEi\n00401030 _call_std@4\n"
     "00402000 _counter\n00403000 _buffer\n00404000 _table\n",
     {"nm or llvm-nm", "symbols read 13", "absolute 1", "not code or data 5"}},
    {"lldmap",
     {"@app.lldmap@10000000"},
     "10001000 _add_numbers\n10001010 public: int __thiscall ns::Widget::twice(int)\n10003000 int global_counter\n",
     {"lld-link /lldmap", "map base 0x00000000, base used 0x10000000"}},
    {"flat as a Run reads it",
     {"--format", "flat", "@flat.txt"},
     "00040107 hort\n003F0100 spaced\n00401000 _main\n0040100A lower\n00401020 abbed name\n00401030 column39\n"
     "00401040 dup_last\n00401050 carriage\n00401090 name\n004010A0 x\n",
     {"symbols read 13, lines written 10", "address 0 1", "same address 1", "control byte 1"}},
    {"module prefix and prefix",
     {"--prefix", "my.", "--module-prefix", "@delphi_by_name.map"},
     "00401010 my.delphi_by_name.Alpha.First\n00401020 my.delphi_by_name.Zed.Last\n",
     {}},
    {"all names",
     {"--all", "@link32.map", "--exclude", "_*"},
     "00401010 ?run@App@@QAEXXZ\n00401020 ??_EWidget@@UAEPAXI@Z\n00401020 ??_GWidget@@UAEPAXI@Z\n"
     "00401040 @fast@4\n00402000 ??_C@_05ABCDEF@hello?$AA@\n",
     {"lines written 5"}},
    {"merge: the later input wins",
     {"@link32.map", "@lld32.map@00401000:10000000"},
     "00401000 _main\n00401010 ?run@App@@QAEXXZ\n00401020 ??_EWidget@@UAEPAXI@Z\n00401030 _helper@8\n"
     "00401040 @fast@4\n00401050 _static_helper\n00402000 _add_numbers\n00402010 ?twice@Widget@ns@@QAEHH@Z\n"
     "00402050 ?helper@@YAHH@Z\n00403000 _counter\n00404000 ?global_counter@@3HA\n",
     {"replaced by a later input 2", "warning: '", "(0x00401000-0x00403000)", "(0x00402000-0x00404000) overlap"},
     true},
    {"merge without overlap",
     {"@delphi_by_name.map", "@gnu64elf.map"},
     "00001139 main\n00001150 helper(int)\n00004010 counter\n00401010 Alpha.First\n00401020 Zed.Last\n",
     {}},
};

class ReaderTest : public testing::TestWithParam<ReaderCase> {};

TEST_P(ReaderTest, WritesTheLinesAndReports) {
    const ReaderCase& c = GetParam();
    const ToolRun run = runTool(withFixtures(c.args));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, c.lines);
    for (const std::string& part : c.reportParts)
        EXPECT_NE(run.err.find(part), std::string::npos) << part << "\n" << run.err;
    EXPECT_EQ(run.err.find("warning") != std::string::npos, c.warns) << run.err;
}

std::string caseName(const testing::TestParamInfo<ReaderCase>& info) { return testName(info.param.name); }

INSTANTIATE_TEST_SUITE_P(Fixtures, ReaderTest, testing::ValuesIn(kReaderCases), caseName);

// Every fixture is recognised as its format without --format, and the
// converter's own output read again comes out byte for byte the same.
TEST(RoundTrip, OwnOutputConvertsToTheSameBytes) {
    const std::string dir = scratchDir("round_trip");
    for (const char* name : {"link32.map", "gnu32.map", "delphi_absolute.map", "list.nm"}) {
        const ToolRun first = runTool({fixture(name), "--demangle", "-o", dir + "/first.txt"});
        ASSERT_EQ(first.exitCode, 0) << first.err;
        const ToolRun second = runTool({dir + "/first.txt", "-o", dir + "/second.txt"});
        ASSERT_EQ(second.exitCode, 0) << second.err;
        EXPECT_NE(second.err.find("the loader's own lines"), std::string::npos) << second.err;
        EXPECT_EQ(readFile(dir + "/first.txt"), readFile(dir + "/second.txt")) << name;
    }
}

}  // namespace
