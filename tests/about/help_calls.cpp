#include "help_calls.h"

#include "about_robot.h"

#include <htmlhelp.h>

#include <atomic>
#include <mutex>

typedef HWND(WINAPI* HtmlHelpFunction)(HWND, LPCSTR, UINT, DWORD_PTR);

static std::mutex callsLock;
static std::vector<HelpCall> calls;
static std::atomic<int> callCount{0};

static HtmlHelpFunction RealHtmlHelp() {
    static HtmlHelpFunction real = reinterpret_cast<HtmlHelpFunction>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("hhctrl.ocx"), "HtmlHelpA")));
    return real;
}

extern "C" HWND WINAPI HtmlHelpA(HWND caller, LPCSTR file, UINT command, DWORD_PTR data) {
    HWND result = RealHtmlHelp()(caller, file, command, data);
    {
        std::lock_guard<std::mutex> hold(callsLock);
        calls.push_back({caller, file != nullptr ? file : "(null)", command, data, result});
    }
    ++callCount;
    return result;
}

int HelpCallCount() { return callCount.load(); }

std::vector<HelpCall> HelpCalls() {
    std::lock_guard<std::mutex> hold(callsLock);
    return calls;
}

void HelpCallsReset() {
    std::lock_guard<std::mutex> hold(callsLock);
    calls.clear();
    callCount = 0;
}

void CloseHelpWindowsUnrecorded() { RealHtmlHelp()(nullptr, "", HH_CLOSE_ALL, 0); }

void HelpStateTest::SetUp() {
    HelpCallsReset();
    WriteHelpHandle(nullptr);
}

void HelpStateTest::TearDown() {
    CloseHelpWindowsUnrecorded();
    WriteHelpHandle(nullptr);
}
