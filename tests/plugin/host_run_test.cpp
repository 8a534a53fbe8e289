// The stand-in host run as a program: its command line, the plug-in it
// loads from its own folder, and the report of a scripted run.
#include "built_dll.h"
#include "host_child.h"
#include "host_options.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <regex>
#include <string>
#include <vector>

namespace {

const char LOG_LINES[] = "log: Vorlane Loading Plugin v1.0\nlog: Written by: Kestrova\n";

struct HostRun {
    DWORD exitCode;
    std::string report;
};

// Runs bin\ollydbg.exe with arguments, then --print to a fresh file.
HostRun RunHost(const std::string& arguments) {
    HostRun run = {~0u, ""};
    char host[MAX_PATH];
    if (HostProgramPath(host, sizeof host) != 0) return run;
    HostChild child;
    StartHostChild(&child, host, arguments);
    run.exitCode = FinishHostChild(&child, 120000, &run.report);
    return run;
}

TEST(HostRun, ReportsTheLogOfTheLoadedPlugin) {
    const HostRun run = RunHost("");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.report, LOG_LINES);
}

TEST(HostRun, SeededNamesOfTheLabelTypeAreReportedByAddress) {
    const HostRun run = RunHost("--name 401000 49 _old --name 402000 50 other --name 3ff000 49 \"two words\"");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.report, std::string(LOG_LINES) + "label: 003FF000 two words\nlabel: 00401000 _old\n");
}

TEST(HostRun, AClickThroughTheMenuIsTimed) {
    const HostRun run = RunHost("--click 1 --time");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(std::regex_match(run.report, std::regex(std::string(LOG_LINES) + "elapsed-ms: [0-9]+\n")))
        << run.report;
}

TEST(HostRun, ModulesTellWhereThePluginLies) {
    const HostRun run = RunHost("--modules");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(std::regex_match(run.report, std::regex(std::string(LOG_LINES) + "module: Vorlane.dll [0-9A-F]+0000\n")))
        << run.report;
}

TEST(HostRun, AClickOnAMissingItemFails) {
    const HostRun run = RunHost("--click 3");
    EXPECT_EQ(run.exitCode, 4u);
    EXPECT_EQ(run.report, LOG_LINES) << "the report is still written";
}

TEST(HostRun, TheMainWindowIsPhotographedAfterTheSteps) {
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    const std::string shot = std::string(folder) + "vorlane-host-shot.bmp";
    DeleteFileA(shot.c_str());
    const HostRun run = RunHost("--screenshot-host \"" + shot + "\"");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.report, std::string(LOG_LINES) + "host-screenshot: " + shot + "\n");
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER header = {};
    FILE* bmp = fopen(shot.c_str(), "rb");
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(fread(&file, sizeof file, 1, bmp), 1u);
    EXPECT_EQ(fread(&header, sizeof header, 1, bmp), 1u);
    fclose(bmp);
    DeleteFileA(shot.c_str());
    EXPECT_EQ(file.bfType, 0x4D42);
    EXPECT_GE(header.biWidth, 640);
    EXPECT_GE(header.biHeight, 480);
}

HWND WaitForWindow(const char* windowClass, const char* title) {
    for (int waited = 0; waited < 20000; waited += 20) {
        HWND window = FindWindowA(windowClass, title);
        if (window != nullptr && IsWindowVisible(window)) return window;
        Sleep(20);
    }
    return nullptr;
}

// The status message takes the host as its owner: the host cannot be used,
// and no second Run can stack a second message, until it is answered.
TEST(HostRun, TheStatusMessageDisablesTheHostUntilAnswered) {
    char host[MAX_PATH];
    ASSERT_EQ(HostProgramPath(host, sizeof host), 0);
    HostChild child;
    ASSERT_TRUE(StartHostChild(&child, host, "--status 0 --click 0"));
    HWND box = WaitForWindow("#32770", "Vorlane Loader");
    HWND main = FindWindowA("VorlaneStandInHost", nullptr);
    const HWND owner = box != nullptr ? GetWindow(box, GW_OWNER) : nullptr;
    const BOOL hostEnabled = main != nullptr && IsWindowEnabled(main);
    if (box != nullptr) PostMessageA(box, WM_COMMAND, IDOK, 0);
    std::string report;
    FinishHostChild(&child, 20000, &report);

    ASSERT_NE(box, nullptr) << "no status message appeared";
    EXPECT_NE(main, nullptr);
    EXPECT_EQ(owner, main);
    EXPECT_FALSE(hostEnabled);
}

TEST(HostRun, ABadCommandLineIsRefused) {
    EXPECT_EQ(RunHost("--status").exitCode, 2u);
}

void Arguments(std::vector<std::string>& words, std::vector<char*>& argv) {
    argv.clear();
    for (std::string& word : words) argv.push_back(&word[0]);
}

TEST(HostOptions, ReadsStepsInOrderAndNames) {
    std::vector<std::string> words = {"ollydbg.exe", "--status", "-3", "--run",     "C:\\a.map", "--cancel",
                                      "--click",     "2",        "--name", "FFFFFFFF", "49",       "top",
                                      "--message",   "Vorlane Loader", "--time"};
    std::vector<char*> argv;
    Arguments(words, argv);
    static HostOptions options;
    char error[128] = "";
    ASSERT_EQ(ParseHostOptions(static_cast<int>(argv.size()), argv.data(), &options, error, sizeof error), 0) << error;
    EXPECT_EQ(options.status, -3);
    ASSERT_EQ(options.stepCount, 3);
    EXPECT_EQ(options.steps[0].kind, HOST_STEP_CHOOSE_FILE);
    EXPECT_STREQ(options.steps[0].path, "C:\\a.map");
    EXPECT_EQ(options.steps[1].kind, HOST_STEP_CANCEL_FILE);
    EXPECT_EQ(options.steps[2].kind, HOST_STEP_CLICK);
    EXPECT_EQ(options.steps[2].action, 2);
    ASSERT_EQ(options.nameCount, 1);
    EXPECT_EQ(options.names[0].address, 0xFFFFFFFFu);
    EXPECT_EQ(options.names[0].type, 49);
    EXPECT_STREQ(options.names[0].text, "top");
    EXPECT_STREQ(options.messageCaption, "Vorlane Loader");
    EXPECT_EQ(options.printTimes, 1);
    EXPECT_EQ(options.printPath, nullptr);
    EXPECT_TRUE(IsScriptedRun(&options));
}

TEST(HostOptions, RefusesBadValues) {
    const std::vector<std::vector<std::string>> lines = {
        {"--status", "1x"},        {"--status", "4294967296"}, {"--status"},
        {"--name", "G", "49", "t"}, {"--name", "100000000", "49", "t"}, {"--name", "-1", "49", "t"},
        {"--name", "1", "49"},     {"--click", ""},            {"--run", std::string(600, 'p')},
        {"--bogus"},
    };
    for (std::vector<std::string> words : lines) {
        words.insert(words.begin(), "ollydbg.exe");
        std::vector<char*> argv;
        Arguments(words, argv);
        static HostOptions options;
        char error[128] = "";
        EXPECT_EQ(ParseHostOptions(static_cast<int>(argv.size()), argv.data(), &options, error, sizeof error), -1)
            << words[1];
        EXPECT_NE(error[0], '\0') << words[1];
    }
}

TEST(HostOptions, WithoutStepsOrReportAUserSessionRuns) {
    char program[] = "ollydbg.exe";
    char* argv[] = {program};
    static HostOptions options;
    char error[128] = "";
    ASSERT_EQ(ParseHostOptions(1, argv, &options, error, sizeof error), 0);
    EXPECT_EQ(options.status, 1);
    EXPECT_FALSE(IsScriptedRun(&options));
}

}  // namespace
