#include "tool_run.h"

#include <sys/wait.h>

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

std::string scratchDir(const std::string& test) {
    const std::filesystem::path dir = std::filesystem::path(SCRATCH_DIR) / test;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

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
