// The command line: errors, the output file, standard input and output,
// and input that is not a map at all.
#include "tool_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

struct ErrorCase {
    const char* name;
    std::vector<std::string> args;  // a leading '@' marks a fixture
    int exitCode;
    std::vector<std::string> messageParts;
};

const ErrorCase kErrorCases[] = {
    {"unreadable", {"no-such.map"}, 1, {"vorlane-map: error: 'no-such.map': No such file or directory"}},
    {"a folder", {FIXTURES_DIR}, 1, {"error: '" FIXTURES_DIR "': Is a directory"}},
    {"unrecognised",
     {"@../tool_run.h"},
     1,
     {"no map format recognised (known: link, gnu, borland, nm, lldmap, flat;",
      "its first line is '// Runs the vorlane-map program"}},
    {"forced format mismatch",
     {"--format", "gnu", "@link32.map"},
     1,
     {"link32.map': not a gnu map (GNU ld -Map); its first line is ' app'"}},
    {"unknown format name", {"--format", "coff", "@link32.map"}, 2, {"unknown format 'coff'"}},
    {"nothing fits 32 bits",
     {"@link64.map"},
     1,
     {"link64.map': no symbol fits 32 bits", "this debugger debugs only 32-bit programs",
      "--base can move a module's symbols below 4 GiB"}},
    {"rebased out of 32 bits", {"@gnu32.map@FFFFF000"}, 1, {"no symbol fits 32 bits"}},
    {"no symbols", {"@cbuilder_segments.map"}, 1, {"cbuilder_segments.map': no symbols found (read as Delphi"}},
    {"rebasing without a map base",
     {"@list.nm", "--base", "10000000"},
     1,
     {"list.nm': cannot rebase: the map states no base of its own (read as nm", "--map-base"}},
    {"lldmap without a base", {"@app.lldmap"}, 1, {"app.lldmap': an lld-link /lldmap holds RVAs only"}},
    {"base of 17 digits", {"--base", "10000000000000000", "@link32.map"}, 2, {"malformed address for --base"}},
    {"decimal-looking base", {"--map-base", "4194304x", "@link32.map"}, 2, {"malformed address for --map-base"}},
    {"negative base", {"--base", "-1", "@link32.map"}, 2, {"malformed address for --base: '-1'"}},
    {"bare 0x", {"--base", "0x", "@link32.map"}, 2, {"malformed address for --base: '0x'"}},
    {"malformed map base after @", {"@link32.map@400000:zz"}, 1, {"malformed address after '@'"}},
    {"no input", {"--all"}, 2, {"no input"}},
    {"empty forced as flat", {"--format", "flat", "/dev/null"}, 1, {"no symbols found (read as the loader"}},
    {"unknown option", {"--rebase", "@link32.map"}, 2, {"unknown option '--rebase'"}},
    {"option without its value", {"@link32.map", "--base"}, 2, {"needs a value"}},
};

class ErrorTest : public testing::TestWithParam<ErrorCase> {};

TEST_P(ErrorTest, SaysWhyAndWritesNothing) {
    const ErrorCase& c = GetParam();
    const ToolRun run = runTool(withFixtures(c.args));
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_EQ(run.out, "");
    for (const std::string& part : c.messageParts)
        EXPECT_NE(run.err.find(part), std::string::npos) << part << "\n" << run.err;
}

std::string caseName(const testing::TestParamInfo<ErrorCase>& info) { return testName(info.param.name); }

INSTANTIATE_TEST_SUITE_P(Errors, ErrorTest, testing::ValuesIn(kErrorCases), caseName);

std::vector<std::string> filesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Output, ReplacesTheTargetOnlyWhenAllWentWell) {
    const std::string dir = scratchDir("output_replace");
    const std::string target = dir + "/labels.txt";
    writeFile(target, "old\n");
    ToolRun run = runTool({fixture("gnu32.map"), fixture("cbuilder_segments.map"), "-o", target});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(readFile(target), "old\n");
    run = runTool({fixture("delphi_by_name.map"), "-q", "-o", target});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(readFile(target), "00401010 Alpha.First\n00401020 Zed.Last\n");
    EXPECT_EQ(filesIn(dir), std::vector<std::string>{"labels.txt"});
}

TEST(Output, NeverOverwritesAnInput) {
    const std::string dir = scratchDir("output_input");
    const std::string map = dir + "/app.map";
    writeFile(map, readFile(fixture("link32.map")));
    const ToolRun run = runTool({fixture("gnu32.map"), map, "-o", dir + "/../output_input/app.map"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("is an input too; it will not be overwritten"), std::string::npos) << run.err;
    EXPECT_EQ(readFile(map), readFile(fixture("link32.map")));
}

TEST(Output, CannotBeWrittenSaysWhy) {
    const ToolRun run = runTool({fixture("gnu32.map"), "-o", "/no-such-folder/labels.txt"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("error: '/no-such-folder/labels.txt': No such file or directory"), std::string::npos)
        << run.err;
}

TEST(Input, StandardInputReadsLikeAFile) {
    const std::string map = readFile(fixture("link32.map"));
    // After "--", as any argument that starts with '-'.
    const ToolRun fromStdin = runTool({"-q", "--", "-@10000000"}, &map);
    const ToolRun fromFile = runTool({fixture("link32.map"), "--base", "10000000", "-q"});
    EXPECT_EQ(fromStdin.exitCode, 0) << fromStdin.err;
    EXPECT_EQ(fromStdin.out, fromFile.out);
    EXPECT_EQ(fromStdin.out.substr(0, 15), "10001000 _main\n");
}

TEST(Input, ModulePrefixOfStandardInput) {
    const std::string map = readFile(fixture("delphi_by_name.map"));
    const ToolRun run = runTool({"--module-prefix", "-q", "-"}, &map);
    EXPECT_EQ(run.out, "00401010 stdin.Alpha.First\n00401020 stdin.Zed.Last\n");
}

// Binary files, NUL bytes, lines of megabytes and maps cut off halfway:
// never a crash, and what can be read is read.
TEST(Input, BadBytesDoNotCrash) {
    const std::string dir = scratchDir("bad_input");
    std::string garbage;
    for (int i = 0; i < 100000; ++i) garbage += static_cast<char>((i * 7919) % 256);
    writeFile(dir + "/garbage.bin", garbage);
    ToolRun run = runTool({dir + "/garbage.bin"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("no map format recognised"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("\\x"), std::string::npos) << "control bytes of the first line are shown escaped";

    const std::string gnu = readFile(fixture("gnu32.map"));
    const size_t symbols = gnu.find(" .text          0x004015b0");
    std::string huge = gnu.substr(0, symbols) + "                0x00401020                " +
                       std::string(3 << 20, 'x') + "\n" + std::string(2 << 20, '\0') + "\n" + gnu.substr(symbols);
    writeFile(dir + "/huge.map", huge);
    run = runTool({dir + "/huge.map"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("00401020 " + std::string(254, 'x') + "\n"), std::string::npos);
    EXPECT_NE(run.out.find("0040300C vtable for ns::Widget\n"), std::string::npos);
    EXPECT_NE(run.err.find("names cut 1"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("read only in part: 2"), std::string::npos) << run.err;

    const std::string link = readFile(fixture("link32.map"));
    writeFile(dir + "/truncated.map", link.substr(0, link.find("f i widget.obj\n 0001:00000020") + 20));
    run = runTool({dir + "/truncated.map", "-q"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "00401000 _main\n00401010 ?run@App@@QAEXXZ\n00401020 ??_EWidget@@UAEPAXI@Z\n");
}

// A name is trimmed, cut to the loader's 254 characters and trimmed
// again; a name holding a control byte is skipped and counted.
TEST(Names, CutsAndControlBytes) {
    const std::string dir = scratchDir("names");
    const std::string head = "Linker script and memory map\n\n                0x00401000                ";
    const std::string longName = std::string(253, 'a') + " b" + std::string(10, 'c');
    writeFile(dir + "/names.map", "Memory Configuration\n\n" + head + longName + "\n" +
                                      "                0x00401010                bad\x01name\n" +
                                      "                0x00401010                good_name   \n" +
                                      "                0x00401020                tab\tinside\n");
    const ToolRun run = runTool({dir + "/names.map", "--prefix", " "});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "00401000 " + std::string(253, 'a') + "\n00401010 good_name\n");
    EXPECT_NE(run.err.find("control byte 2,"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("names cut 1"), std::string::npos) << run.err;
}

TEST(Flat, OverLongLineStopsAsARunDoes) {
    const std::string dir = scratchDir("flat_long");
    writeFile(dir + "/flat.txt", "00401000 first\n00401010 " + std::string(3000, 'y') + "\n00401020 never\n");
    const ToolRun run = runTool({dir + "/flat.txt", "-q"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "00401000 first\n00401010 " + std::string(254, 'y') + "\n");
    EXPECT_NE(run.err.find("warning: '" + dir + "/flat.txt': line 2 is longer than 2047 characters"), std::string::npos)
        << run.err;
}

TEST(Help, ListsEveryOptionAndTheVersion) {
    const ToolRun help = runTool({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--output", "--format", "--base", "--map-base", "--all", "--prefix", "--module-prefix",
                               "--exclude", "--demangle", "--quiet", "--help", "--version", "INPUT@BASE:MAPBASE"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
    const ToolRun version = runTool({"--version"});
    EXPECT_EQ(version.out, "vorlane-map 1.0.0\n");
}

}  // namespace
