#include "about_robot.h"

#include "plugin/commands.h"
#include "plugin/plugin_state.h"
#include "plugin/resource.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <atomic>
#include <thread>

enum { FIND_TIMEOUT_MS = 10000, POLL_MS = 5 };

static AboutRun* currentRun = nullptr;

static bool IsAboutWindow(HWND window) {
    char className[16];
    char help[16];
    if (GetClassNameA(window, className, sizeof className) == 0 || lstrcmpA(className, "#32770") != 0) return false;
    HWND button = GetDlgItem(window, ABOUT_HELP);
    return button != nullptr && GetWindowTextA(button, help, sizeof help) > 0 && lstrcmpA(help, "&Help") == 0;
}

// Runs after the dialog procedure has handled WM_INITDIALOG.
static LRESULT CALLBACK AfterMessage(int code, WPARAM wParam, LPARAM lParam) {
    const CWPRETSTRUCT* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_INITDIALOG && currentRun != nullptr && IsAboutWindow(sent->hwnd)) {
        currentRun->helpEnabledAtOpen = IsWindowEnabled(GetDlgItem(sent->hwnd, ABOUT_HELP)) != FALSE;
        if (currentRun->atOpen) currentRun->atOpen(sent->hwnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

static HWND WaitForAbout(DWORD thread) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : ThreadWindowsOfClass(thread, "#32770")) {
                if (IsAboutWindow(window) && IsWindowVisible(window)) found = window;
            }
            return found != nullptr;
        },
        FIND_TIMEOUT_MS);
    return found;
}

void RunAbout(AboutRun* run) {
    currentRun = run;
    const DWORD thread = GetCurrentThreadId();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterMessage, nullptr, thread);
    std::atomic<bool> returned{false};
    std::atomic<bool> forced{false};
    std::thread robot([run, thread, &returned, &forced] {
        run->about = WaitForAbout(thread);
        if (run->about != nullptr) {
            if (run->script) run->script(run->about);
            if (IsWindow(run->about)) PostMessageA(run->about, WM_CLOSE, 0, 0);
        }
        // Never leave the test hanging in a loop that failed to end.
        if (WaitUntil([&] { return returned.load(); }, FIND_TIMEOUT_MS) < 0) {
            forced = true;
            PostThreadMessageA(thread, WM_QUIT, 0, 0);
        }
    });
    ShowAbout();
    returned = true;
    robot.join();
    UnhookWindowsHookEx(hook);
    currentRun = nullptr;
    if (forced) {
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        ADD_FAILURE() << "ShowAbout did not return until its thread was told to quit";
    }
    if (run->about == nullptr) ADD_FAILURE() << "no About window appeared";
}

void PressControl(HWND dialog, int control) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(control, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, control)));
}

long WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (condition()) return static_cast<long>(elapsed);
        if (elapsed > timeoutMs) return -1;
        Sleep(POLL_MS);
    }
}

void PumpMessagesFor(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(POLL_MS);
    }
}

HWND ReadHelpHandle() { return __atomic_load_n(&HelpWindowHandle, __ATOMIC_SEQ_CST); }

void WriteHelpHandle(HWND window) { __atomic_store_n(&HelpWindowHandle, window, __ATOMIC_SEQ_CST); }

HWND MakeStaleHandle() {
    HWND window = CreateWindowA("STATIC", "gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(window);
    return window;
}

struct ClassSearch {
    const char* windowClass;
    std::vector<HWND> found;
};

static BOOL CALLBACK CollectOfClass(HWND window, LPARAM parameter) {
    ClassSearch* search = reinterpret_cast<ClassSearch*>(parameter);
    char className[64];
    if (GetClassNameA(window, className, sizeof className) > 0 && lstrcmpiA(className, search->windowClass) == 0) {
        search->found.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> ThreadWindowsOfClass(DWORD thread, const char* windowClass) {
    ClassSearch search = {windowClass, {}};
    EnumThreadWindows(thread, CollectOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

