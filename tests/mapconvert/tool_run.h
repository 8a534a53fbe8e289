// Runs the vorlane-map program of this build and collects what it says.
#pragma once

#include <string>
#include <vector>

struct ToolRun {
    int exitCode;
    std::string out;
    std::string err;
};

// args are passed as they are (each quoted for the shell); stdinText, when
// given, is fed to standard input.
ToolRun runTool(const std::vector<std::string>& args, const std::string* stdinText = nullptr);

std::string fixture(const std::string& name);
// The arguments with each leading '@' replaced by the fixtures' folder.
std::vector<std::string> withFixtures(const std::vector<std::string>& args);
// A test case's name of letters, digits and underscores.
std::string testName(const char* description);
// A fresh folder for one test's files.
std::string scratchDir(const std::string& test);
void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
