// The whole road in the 32-bit release: the linker's map of the release
// Vorlane.dll, converted by the release vorlane-map.exe with the base at
// which the DLL really lies in this process, and loaded through Run. Every
// exported function then has its label at its real address. (32-bit only:
// a 64-bit module may lie above 4 GiB, where no label can go.)
#include "built_dll.h"
#include "host_state.h"
#include "robot.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <stdio.h>

#include <string>
#include <utility>
#include <vector>

namespace {

typedef void (*PluginAction)(int32_t origin, int32_t action, void* item);

// The module's exports as (address, name), read from its image in memory.
std::vector<std::pair<uint32_t, std::string>> ExportsOf(HMODULE module) {
    const auto* image = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const auto* directory = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(image + entry.VirtualAddress);
    const auto* functions = reinterpret_cast<const DWORD*>(image + directory->AddressOfFunctions);
    const auto* names = reinterpret_cast<const DWORD*>(image + directory->AddressOfNames);
    const auto* ordinals = reinterpret_cast<const WORD*>(image + directory->AddressOfNameOrdinals);
    std::vector<std::pair<uint32_t, std::string>> exports;
    for (DWORD i = 0; i < directory->NumberOfNames; ++i) {
        const uint32_t address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(image + functions[ordinals[i]]));
        exports.push_back({address, reinterpret_cast<const char*>(image + names[i])});
    }
    return exports;
}

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// Runs program with arguments and waits for it; its exit code, or ~0.
DWORD RunProgram(const std::string& program, const std::string& arguments) {
    std::string commandLine = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return ~0u;
    }
    WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = ~0u;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

TEST(ConvertedMap32, EveryExportOfTheReleaseIsLabelledWhereItLies) {
    HMODULE vorlane = LoadBuiltDll("Vorlane.dll");
    ASSERT_NE(vorlane, nullptr) << "LoadLibrary error " << GetLastError();
    auto action = reinterpret_cast<PluginAction>(reinterpret_cast<void*>(GetProcAddress(vorlane, "_ODBG_Pluginaction")));
    ASSERT_NE(action, nullptr);

    char converter[MAX_PATH];
    ASSERT_EQ(BuiltFilePath("vorlane-map.exe", converter, sizeof converter), 0);
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    const std::string lines = std::string(folder) + "vorlane-converted.lst";
    char base[32];
    snprintf(base, sizeof base, "%08X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(vorlane)));
    ASSERT_EQ(RunProgram(converter, std::string("-q \"") + VORLANE_PLUGIN_MAP + "@" + base + "\" -o \"" + lines + "\""),
              0u);

    HostReset();
    RobotTask dialog;
    RobotInit(&dialog, "Select MAP File", ROBOT_CHOOSE_FILE);
    lstrcpynA(dialog.fileName, lines.c_str(), sizeof dialog.fileName);
    RobotStart(&dialog);
    action(0, 0, nullptr);
    ASSERT_TRUE(RobotFinish(&dialog));
    DeleteFileA(lines.c_str());

    const auto exports = ExportsOf(vorlane);
    ASSERT_EQ(exports.size(), 12u);
    for (const auto& exported : exports) {
        const auto label = Host().names.find({exported.first, 49});
        ASSERT_NE(label, Host().names.end()) << exported.second << " at " << std::hex << exported.first;
        EXPECT_EQ(label->second, Upper(exported.second)) << std::hex << exported.first;
    }
    EXPECT_GT(HostNamesOfType(49).size(), 100u) << "the map's other symbols are labelled too";
}

}  // namespace
