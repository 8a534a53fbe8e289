// The real 64-bit Vorlane.dll in the stand-in host: Help and then About
// clicked in the host's menu, the About window answered from outside.
#include "plugin/resource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>

enum { WAIT_MS = 20000, POLL_MS = 20 };

static HWND FindAboutAnywhere() {
    for (HWND window = FindWindowExA(nullptr, nullptr, "#32770", nullptr); window != nullptr;
         window = FindWindowExA(nullptr, window, "#32770", nullptr)) {
        char help[16] = "";
        HWND button = GetDlgItem(window, ABOUT_HELP);
        if (button != nullptr && GetWindowTextA(button, help, sizeof help) > 0 && lstrcmpA(help, "&Help") == 0 &&
            IsWindowVisible(window)) {
            return window;
        }
    }
    return nullptr;
}

static HWND WaitForAbout() {
    for (DWORD waited = 0; waited < WAIT_MS; waited += POLL_MS) {
        HWND about = FindAboutAnywhere();
        if (about != nullptr) return about;
        Sleep(POLL_MS);
    }
    return nullptr;
}

static std::string ReadAll(const char* path) {
    std::string text;
    FILE* file = fopen(path, "rb");
    if (file == nullptr) return text;
    char chunk[1024];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
    fclose(file);
    return text;
}

TEST(HostAbout, MenuHelpThenAboutWatchesAndBackClosesTheHelpWindow) {
    char host[MAX_PATH];
    GetModuleFileNameA(nullptr, host, sizeof host);
    lstrcpyA(strrchr(host, '\\') + 1, "ollydbg.exe");
    char folder[MAX_PATH];
    char report[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    GetTempFileNameA(folder, "abt", 0, report);
    std::string commandLine = std::string("\"") + host + "\" --click 1 --click 2 --print \"" + report + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(host, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));

    HWND about = WaitForAbout();
    HWND help = FindWindowA("HH Parent", nullptr);
    if (about != nullptr) {
        EXPECT_NE(help, nullptr) << "Help from the host's menu opened no help window";
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(about, ABOUT_HELP)));
        EXPECT_NE(SendDlgItemMessageA(about, ABOUT_BACK, BM_GETIMAGE, IMAGE_ICON, 0), 0);
        PostMessageA(about, WM_COMMAND, MAKEWPARAM(ABOUT_BACK, BN_CLICKED), 0);
    }
    const DWORD waited = WaitForSingleObject(process.hProcess, WAIT_MS);
    if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
    DWORD exitCode = ~0u;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const std::string printed = ReadAll(report);
    DeleteFileA(report);

    ASSERT_NE(about, nullptr) << "no About window appeared";
    EXPECT_EQ(waited, WAIT_OBJECT_0);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_NE(printed.find("log: Vorlane Loading Plugin v1.0"), std::string::npos) << printed;
    EXPECT_FALSE(IsWindow(help));
}
