// The real 64-bit Vorlane.dll in the stand-in host: Help and then About
// clicked in the host's menu, the About window answered from outside.
#include "host_child.h"
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

TEST(HostAbout, MenuHelpThenAboutWatchesAndBackClosesTheHelpWindow) {
    char host[MAX_PATH];
    GetModuleFileNameA(nullptr, host, sizeof host);
    lstrcpyA(strrchr(host, '\\') + 1, "ollydbg.exe");
    HostChild child;
    ASSERT_TRUE(StartHostChild(&child, host, "--click 1 --click 2"));

    HWND about = WaitForAbout();
    HWND help = FindWindowA("HH Parent", nullptr);
    if (about != nullptr) {
        EXPECT_NE(help, nullptr) << "Help from the host's menu opened no help window";
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(about, ABOUT_HELP)));
        EXPECT_NE(SendDlgItemMessageA(about, ABOUT_BACK, BM_GETIMAGE, IMAGE_ICON, 0), 0);
        PostMessageA(about, WM_COMMAND, MAKEWPARAM(ABOUT_BACK, BN_CLICKED), 0);
    }
    std::string printed;
    const DWORD exitCode = FinishHostChild(&child, WAIT_MS, &printed);

    ASSERT_NE(about, nullptr) << "no About window appeared";
    EXPECT_EQ(exitCode, 0u);
    EXPECT_NE(printed.find("log: Vorlane Loading Plugin v1.0"), std::string::npos) << printed;
    EXPECT_FALSE(IsWindow(help));
}
