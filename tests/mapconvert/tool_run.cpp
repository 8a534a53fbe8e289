#include "tool_run.h"

#include <sys/wait.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

std::string quoted(const std::string& text) {
    std::string result = "'";
    for (char c : text) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

}  // namespace

std::string fixture(const std::string& name) { return std::string(FIXTURES_DIR) + "/" + name; }

std::vector<std::string> withFixtures(const std::vector<std::string>& args) {
    std::vector<std::string> result;
    for (const std::string& arg : args) result.push_back(arg[0] == '@' ? fixture(arg.substr(1)) : arg);
    return result;
}

std::string testName(const char* description) {
    std::string name;
    for (const char* p = description; *p != '\0'; ++p) name += isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
}

std::string scratchDir(const std::string& test) {
    const std::filesystem::path dir = std::filesystem::path(SCRATCH_DIR) / test;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

void writeFile(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

ToolRun runTool(const std::vector<std::string>& args, const std::string* stdinText) {
    const std::string dir = std::string(SCRATCH_DIR) + "/run";
    std::filesystem::create_directories(dir);
    std::string command = quoted(VORLANE_MAP);
    for (const std::string& arg : args) command += " " + quoted(arg);
    if (stdinText != nullptr) {
        writeFile(dir + "/stdin", *stdinText);
        command += " <" + quoted(dir + "/stdin");
    } else {
        command += " </dev/null";
    }
    command += " >" + quoted(dir + "/stdout") + " 2>" + quoted(dir + "/stderr");
    const int status = std::system(command.c_str());
    if (status == -1 || !WIFEXITED(status)) throw std::runtime_error("cannot run " + command);
    return ToolRun{WEXITSTATUS(status), readFile(dir + "/stdout"), readFile(dir + "/stderr")};
}
