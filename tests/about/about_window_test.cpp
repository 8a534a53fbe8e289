// The About window in the stand-in host: its Help button kept in step with
// the help window, its ways of closing, its loop and its layout.
#include "about_robot.h"
#include "help_calls.h"

#include "plugin/commands.h"
#include "plugin/plugin_state.h"
#include "plugin/resource.h"

#include <commctrl.h>
#include <htmlhelp.h>

#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

extern "C" void _ODBG_Pluginaction(int32_t origin, int32_t action, void* item);

enum { ACTION_HELP = 1 };
// Generous: other work shares the machine, and the window checks every 100 ms.
enum { REACTION_LIMIT_MS = 1000, QUIET_MS = 400, WAIT_MS = 5000 };

static bool HelpEnabled(HWND about) { return IsWindowEnabled(GetDlgItem(about, ABOUT_HELP)) != FALSE; }

// Whether a timer is polling the help window: a stale handle put in while
// none runs stays where it is.
static bool TimerClearsStaleHandle() {
    HWND stale = MakeStaleHandle();
    WriteHelpHandle(stale);
    Sleep(QUIET_MS);
    const bool cleared = ReadHelpHandle() != stale;
    WriteHelpHandle(nullptr);
    return cleared;
}

class AboutWindowTest : public HelpStateTest {
protected:
    HWND OpenHelpFromMenu() {
        _ODBG_Pluginaction(0, ACTION_HELP, nullptr);
        HelpCallsReset();
        return HelpWindowHandle;
    }
};

TEST_F(AboutWindowTest, IdleWithNoKnownHelpWindow) {
    AboutRun run;
    bool timerRan = true;
    run.script = [&](HWND about) {
        EXPECT_TRUE(HelpEnabled(about));
        timerRan = TimerClearsStaleHandle();
        PressControl(about, ABOUT_BACK);
        EXPECT_GE(WaitUntil([&] { return !IsWindow(about); }, WAIT_MS), 0);
    };
    RunAbout(&run);

    ASSERT_NE(run.about, nullptr);
    EXPECT_TRUE(run.helpEnabledAtOpen);
    EXPECT_FALSE(timerRan);
    EXPECT_EQ(HelpCallCount(), 0);
    EXPECT_FALSE(IsWindow(run.about));
    EXPECT_EQ(HelpWindowHandle, nullptr);
}

TEST_F(AboutWindowTest, WatchesTheMenusHelpWindowUntilTheUserClosesIt) {
    HWND help = OpenHelpFromMenu();
    ASSERT_TRUE(IsWindow(help));

    AboutRun run;
    long goneAtMs = -1;
    long enabledAtMs = -1;
    bool timerRanAfterwards = true;
    run.script = [&](HWND about) {
        Sleep(QUIET_MS);  // several ticks with the help window still there
        EXPECT_FALSE(HelpEnabled(about));
        EXPECT_EQ(ReadHelpHandle(), help);

        // The user closes the help window.
        const DWORD closed = GetTickCount();
        PostMessageA(help, WM_CLOSE, 0, 0);
        WaitUntil(
            [&] {
                const long now = static_cast<long>(GetTickCount() - closed);
                if (goneAtMs < 0 && !IsWindow(help)) goneAtMs = now;
                if (enabledAtMs < 0 && HelpEnabled(about)) enabledAtMs = now;
                return goneAtMs >= 0 && enabledAtMs >= 0;
            },
            WAIT_MS);
        EXPECT_EQ(ReadHelpHandle(), nullptr);
        timerRanAfterwards = TimerClearsStaleHandle();
    };
    RunAbout(&run);

    EXPECT_FALSE(run.helpEnabledAtOpen);
    ASSERT_GE(goneAtMs, 0);
    ASSERT_GE(enabledAtMs, goneAtMs);
    EXPECT_LT(enabledAtMs - goneAtMs, REACTION_LIMIT_MS);
    printf("help window gone after %ld ms, Help enabled after %ld ms\n", goneAtMs, enabledAtMs);
    EXPECT_FALSE(timerRanAfterwards);
    EXPECT_EQ(HelpCallCount(), 0) << "closing after the user closed help calls HTML Help";
    EXPECT_EQ(HelpWindowHandle, nullptr);
}

TEST_F(AboutWindowTest, StaleHandleIsClearedAtTheFirstTick) {
    HWND stale = MakeStaleHandle();
    WriteHelpHandle(stale);

    AboutRun run;
    long enabledAfterMs = -1;
    run.script = [&](HWND about) {
        enabledAfterMs = WaitUntil([&] { return HelpEnabled(about); }, WAIT_MS);
        EXPECT_EQ(ReadHelpHandle(), nullptr);
    };
    RunAbout(&run);

    EXPECT_FALSE(run.helpEnabledAtOpen);
    EXPECT_GE(enabledAfterMs, 0);
    EXPECT_LT(enabledAfterMs, REACTION_LIMIT_MS);
    printf("stale handle: Help enabled %ld ms after the window showed\n", enabledAfterMs);
    EXPECT_EQ(HelpCallCount(), 0);
}

TEST_F(AboutWindowTest, HelpButtonOpensHelpOverTheWindowAndClosingClosesIt) {
    AboutRun run;
    std::vector<HelpCall> whileOpen;
    run.script = [&](HWND about) {
        PressControl(about, ABOUT_HELP);
        ASSERT_GE(WaitUntil([] { return HelpCallCount() == 1 && ReadHelpHandle() != nullptr; }, WAIT_MS), 0);
        PressControl(about, ABOUT_HELP);
        ASSERT_GE(WaitUntil([] { return HelpCallCount() == 2; }, WAIT_MS), 0);
        EXPECT_TRUE(HelpEnabled(about));
        whileOpen = HelpCalls();
        EXPECT_EQ(ReadHelpHandle(), whileOpen.back().result);
        PressControl(about, ABOUT_BACK);
    };
    RunAbout(&run);

    ASSERT_EQ(whileOpen.size(), 2u);
    for (const HelpCall& call : whileOpen) {
        EXPECT_EQ(call.caller, run.about);
        EXPECT_EQ(call.file, "Vorlane.chm");
        EXPECT_EQ(call.command, static_cast<UINT>(HH_DISPLAY_TOPIC));
        EXPECT_NE(call.result, nullptr);
    }
    const std::vector<HelpCall> calls = HelpCalls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2].caller, nullptr);
    EXPECT_EQ(calls[2].file, "");
    EXPECT_EQ(calls[2].command, static_cast<UINT>(HH_CLOSE_ALL));
    EXPECT_EQ(calls[2].data, 0u);
    PumpMessagesFor(200);
    EXPECT_FALSE(IsWindow(whileOpen.back().result));
    EXPECT_TRUE(ThreadWindowsOfClass(GetCurrentThreadId(), "HH Parent").empty());
    EXPECT_EQ(HelpWindowHandle, nullptr);
}

TEST_F(AboutWindowTest, ClosingWhileWatchingALiveHelpWindowClosesIt) {
    HWND help = OpenHelpFromMenu();
    ASSERT_TRUE(IsWindow(help));

    AboutRun run;
    run.script = [](HWND about) { PressControl(about, ABOUT_BACK); };
    RunAbout(&run);

    ASSERT_EQ(HelpCallCount(), 1);
    EXPECT_EQ(HelpCalls()[0].command, static_cast<UINT>(HH_CLOSE_ALL));
    PumpMessagesFor(200);
    EXPECT_FALSE(IsWindow(help));
    EXPECT_EQ(HelpWindowHandle, nullptr);
}

struct CloseWay {
    const char* name;
    void (*request)(HWND about);
};

static const CloseWay CLOSE_WAYS[] = {
    {"Back button", [](HWND about) { PressControl(about, ABOUT_BACK); }},
    {"Escape key",
     [](HWND about) { PostMessageA(GetDlgItem(about, ABOUT_BACK), WM_KEYDOWN, VK_ESCAPE, 1); }},
    {"Alt+F4", [](HWND about) { PostMessageA(about, WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29)); }},
    {"system close", [](HWND about) { PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0); }},
};

TEST_F(AboutWindowTest, EveryCloseRequestEndsTheWindowAndForgetsTheHandle) {
    for (const CloseWay& way : CLOSE_WAYS) {
        SCOPED_TRACE(way.name);
        WriteHelpHandle(MakeStaleHandle());
        AboutRun run;
        long closedAfterMs = -1;
        run.script = [&](HWND about) {
            way.request(about);
            closedAfterMs = WaitUntil([&] { return !IsWindow(about); }, WAIT_MS);
        };
        RunAbout(&run);

        EXPECT_GE(closedAfterMs, 0);
        EXPECT_EQ(HelpWindowHandle, nullptr);
        EXPECT_EQ(HelpCallCount(), 0);
    }
}

TEST_F(AboutWindowTest, QuitRequestEndsTheWindowAndIsPostedAgain) {
    const DWORD thread = GetCurrentThreadId();
    WriteHelpHandle(MakeStaleHandle());
    AboutRun run;
    run.script = [thread](HWND about) {
        PostThreadMessageA(thread, WM_QUIT, 7, 0);
        EXPECT_GE(WaitUntil([&] { return !IsWindow(about); }, WAIT_MS), 0);
    };
    RunAbout(&run);

    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 7u);
    EXPECT_FALSE(IsWindow(run.about));
    EXPECT_EQ(HelpWindowHandle, nullptr);
}

enum { HOST_COUNT = WM_APP, HOST_DESTROY_WINDOW = WM_APP + 1 };

// A window of the host's thread: counts HOST_COUNT, and destroys the window
// named by HOST_DESTROY_WINDOW's wParam, as only that thread can.
static LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == HOST_COUNT) ++*reinterpret_cast<int*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == HOST_DESTROY_WINDOW) DestroyWindow(reinterpret_cast<HWND>(wParam));
    return DefWindowProcA(window, message, wParam, lParam);
}

static HWND CreateHostWindow() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = HostWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "AboutTestHostWindow";
    RegisterClassA(&windowClass);
    return CreateWindowA(windowClass.lpszClassName, "host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                         windowClass.hInstance, nullptr);
}

TEST_F(AboutWindowTest, DestroyedFromOutsideTheLoopStillEnds) {
    HWND host = CreateHostWindow();
    WriteHelpHandle(MakeStaleHandle());
    AboutRun run;
    run.script = [host](HWND about) {
        PostMessageA(host, HOST_DESTROY_WINDOW, reinterpret_cast<WPARAM>(about), 0);
        EXPECT_GE(WaitUntil([&] { return !IsWindow(about); }, WAIT_MS), 0);
    };
    RunAbout(&run);
    DestroyWindow(host);

    EXPECT_FALSE(IsWindow(run.about));
    EXPECT_EQ(HelpWindowHandle, nullptr);
}

TEST_F(AboutWindowTest, LoopServesTheHostsOtherWindows) {
    HWND host = CreateHostWindow();
    int served = 0;
    SetWindowLongPtrA(host, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&served));

    AboutRun run;
    long servedAfterMs = -1;
    run.script = [&](HWND about) {
        PostMessageA(host, HOST_COUNT, 0, 0);
        servedAfterMs = WaitUntil([&] { return __atomic_load_n(&served, __ATOMIC_SEQ_CST) == 1; }, WAIT_MS);
        EXPECT_TRUE(IsWindow(about));
    };
    RunAbout(&run);
    DestroyWindow(host);

    EXPECT_GE(servedAfterMs, 0);
}

// Layout, fonts, icon, tooltips, read on the window's own thread. Boxes
// are held as x, y, width, height: the dialog manager converts each of the
// four from dialog units on its own, as MapDialogRect does.
struct AboutLayout {
    RECT client = {};
    RECT expectedClient = {};
    RECT window = {};
    LONG style = 0;
    int titleLength = -1;
    struct Control {
        int id;
        RECT expected;  // in dialog units until converted
        RECT actual;
    };
    std::vector<Control> controls;
    LOGFONTA titleFont = {};
    LOGFONTA authorFont = {};
    LOGFONTA labelFont = {};
    LOGFONTA audienceFont = {};
    int logPixelsY = 0;
    std::string title, author, audience, back, help;
    HICON backIcon = nullptr;
    LONG backStyle = 0;
    SIZE iconSize = {};
    int toolCount = -1;
    std::string backTip, helpTip;
};

static RECT BoxInClient(HWND about, int id) {
    RECT box;
    GetWindowRect(GetDlgItem(about, id), &box);
    POINT corner = {box.left, box.top};
    ScreenToClient(about, &corner);
    return {corner.x, corner.y, box.right - box.left, box.bottom - box.top};
}

static LONG TextWidth(HWND control) {
    char text[64];
    const int length = GetWindowTextA(control, text, sizeof text);
    HDC dc = GetDC(control);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    SIZE extent = {};
    GetTextExtentPoint32A(dc, text, length, &extent);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return extent.cx;
}

static std::string TextOf(HWND about, int id) {
    char text[128] = "";
    GetDlgItemTextA(about, id, text, sizeof text);
    return text;
}

static LOGFONTA FontOf(HWND about, int id) {
    LOGFONTA font = {};
    HFONT handle = reinterpret_cast<HFONT>(SendDlgItemMessageA(about, id, WM_GETFONT, 0, 0));
    GetObjectA(handle, sizeof font, &font);
    return font;
}

static std::string ToolText(HWND tooltip, HWND about, int id) {
    char text[80] = "";
    TTTOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = about;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(about, id));
    tool.lpszText = text;
    SendMessageA(tooltip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    return text;
}

static HWND TooltipOf(HWND about) {
    for (HWND tip : ThreadWindowsOfClass(GetCurrentThreadId(), TOOLTIPS_CLASSA)) {
        if (GetWindow(tip, GW_OWNER) == about) return tip;
    }
    return nullptr;
}

static void ReadLayout(HWND about, AboutLayout* layout) {
    GetClientRect(about, &layout->client);
    layout->expectedClient = {0, 0, 427, 233};
    MapDialogRect(about, &layout->expectedClient);
    GetWindowRect(about, &layout->window);
    layout->style = GetWindowLongA(about, GWL_STYLE);
    layout->titleLength = GetWindowTextLengthA(about);
    layout->controls = {
        {ABOUT_BACKGROUND, {0, 0, 427, 232}, {}},   {ABOUT_UPPER_PANEL, {8, 7, 412, 112}, {}},
        {ABOUT_TITLE, {10, 11, 403, 17}, {}},       {ABOUT_SEPARATOR, {25, 35, 376, 9}, {}},
        {ABOUT_AUTHOR, {55, 54, 283, 10}, {}},      {ABOUT_FOR_LABEL, {82, 64, 0, 10}, {}},
        {ABOUT_AUDIENCE, {100, 64, 285, 10}, {}},   {ABOUT_LOWER_PANEL, {7, 117, 413, 109}, {}},
        {ABOUT_BACK, {11, 49, 38, 30}, {}},         {ABOUT_HELP, {11, 85, 38, 30}, {}},
    };
    for (AboutLayout::Control& control : layout->controls) {
        MapDialogRect(about, &control.expected);
        control.actual = BoxInClient(about, control.id);
    }
    // "For:" is as wide as its text.
    layout->controls[5].expected.right = TextWidth(GetDlgItem(about, ABOUT_FOR_LABEL));
    HDC screen = GetDC(about);
    layout->logPixelsY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(about, screen);

    layout->titleFont = FontOf(about, ABOUT_TITLE);
    layout->authorFont = FontOf(about, ABOUT_AUTHOR);
    layout->labelFont = FontOf(about, ABOUT_FOR_LABEL);
    layout->audienceFont = FontOf(about, ABOUT_AUDIENCE);
    layout->title = TextOf(about, ABOUT_TITLE);
    layout->author = TextOf(about, ABOUT_AUTHOR);
    layout->audience = TextOf(about, ABOUT_AUDIENCE);
    layout->back = TextOf(about, ABOUT_BACK);
    layout->help = TextOf(about, ABOUT_HELP);

    layout->backIcon = reinterpret_cast<HICON>(SendDlgItemMessageA(about, ABOUT_BACK, BM_GETIMAGE, IMAGE_ICON, 0));
    layout->backStyle = GetWindowLongA(GetDlgItem(about, ABOUT_BACK), GWL_STYLE);
    ICONINFO icon = {};
    if (layout->backIcon != nullptr && GetIconInfo(layout->backIcon, &icon)) {
        BITMAP mask = {};
        GetObjectA(icon.hbmMask, sizeof mask, &mask);
        layout->iconSize = {mask.bmWidth, icon.hbmColor != nullptr ? mask.bmHeight : mask.bmHeight / 2};
        if (icon.hbmColor != nullptr) DeleteObject(icon.hbmColor);
        DeleteObject(icon.hbmMask);
    }

    HWND tooltip = TooltipOf(about);
    if (tooltip != nullptr) {
        layout->toolCount = static_cast<int>(SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0));
        layout->backTip = ToolText(tooltip, about, ABOUT_BACK);
        layout->helpTip = ToolText(tooltip, about, ABOUT_HELP);
    }
}

static void ExpectBoldFace(const LOGFONTA& font, int points, int logPixelsY) {
    EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_EQ(font.lfHeight, -MulDiv(points, logPixelsY, 72));
}

TEST_F(AboutWindowTest, LayoutFontsIconAndTooltipsAsDesigned) {
    AboutLayout layout;
    Screenshot shot;
    RECT titleArea = {};
    RECT backArea = {};
    AboutRun run;
    run.atOpen = [&](HWND about) { ReadLayout(about, &layout); };
    run.script = [&](HWND about) {
        Sleep(500);  // let it paint
        ASSERT_TRUE(CaptureWindow(about, &shot));
        EXPECT_TRUE(WriteBmp(shot, std::string(SCREENSHOT_DIR) + "/about_window.bmp"));
        RECT window;
        GetWindowRect(about, &window);
        GetWindowRect(GetDlgItem(about, ABOUT_TITLE), &titleArea);
        GetWindowRect(GetDlgItem(about, ABOUT_BACK), &backArea);
        OffsetRect(&titleArea, -window.left, -window.top);
        OffsetRect(&backArea, -window.left, -window.top);
        // The middle of the button, inside its frame: only the icon is there.
        InflateRect(&backArea, -((backArea.right - backArea.left) / 2 - 8), -((backArea.bottom - backArea.top) / 2 - 8));
    };
    RunAbout(&run);

    EXPECT_EQ(layout.client.right, layout.expectedClient.right);
    EXPECT_EQ(layout.client.bottom, layout.expectedClient.bottom);
    ASSERT_EQ(layout.controls.size(), 10u);
    for (const AboutLayout::Control& control : layout.controls) {
        SCOPED_TRACE("control " + std::to_string(control.id));
        EXPECT_EQ(control.actual.left, control.expected.left);
        EXPECT_EQ(control.actual.top, control.expected.top);
        EXPECT_EQ(control.actual.right, control.expected.right) << "width";
        EXPECT_EQ(control.actual.bottom, control.expected.bottom) << "height";
    }
    EXPECT_GT(layout.controls[5].actual.right, 0);

    EXPECT_EQ(layout.style & WS_CAPTION, 0);
    EXPECT_EQ(layout.titleLength, 0);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR(layout.window.left + layout.window.right, screenWidth, 2);
    EXPECT_NEAR(layout.window.top + layout.window.bottom, screenHeight, 2);

    EXPECT_EQ(layout.title, PLUGIN_TITLE_LINE);
    EXPECT_EQ(layout.author, PLUGIN_AUTHOR_LINE);
    EXPECT_EQ(layout.audience, "Anyone who wants Labels instead of numbers, in OllyDbg");
    EXPECT_EQ(layout.back, "&Back");
    EXPECT_EQ(layout.help, "&Help");
    ExpectBoldFace(layout.titleFont, 14, layout.logPixelsY);
    ExpectBoldFace(layout.authorFont, 8, layout.logPixelsY);
    ExpectBoldFace(layout.labelFont, 8, layout.logPixelsY);
    ExpectBoldFace(layout.audienceFont, 8, layout.logPixelsY);

    EXPECT_NE(layout.backIcon, nullptr);
    EXPECT_NE(layout.backStyle & BS_ICON, 0);
    EXPECT_EQ(layout.iconSize.cx, 32);
    EXPECT_EQ(layout.iconSize.cy, 32);

    EXPECT_EQ(layout.toolCount, 2);
    EXPECT_EQ(layout.backTip, "Close this Window");
    EXPECT_EQ(layout.helpTip, "What this PlugIn does");

    // What a person sees: navy title letters, the icon's black arrow.
    EXPECT_GT(CountPixels(shot, titleArea, RGB(0, 0, 128)), 100);
    EXPECT_GT(CountPixels(shot, backArea, RGB(0, 0, 0)), 64);
}

// The pointer resting on Back brings up its tip, as the user sees it.
TEST_F(AboutWindowTest, TheBackButtonsTipAppearsUnderThePointer) {
    HWND tooltip = nullptr;
    char shown[80] = "";
    long waited = -1;
    Screenshot shot;
    AboutRun run;
    run.atOpen = [&](HWND about) { tooltip = TooltipOf(about); };
    run.script = [&](HWND about) {
        RECT back;
        GetWindowRect(GetDlgItem(about, ABOUT_BACK), &back);
        SetCursorPos(back.left + 4, back.top + 4);
        Sleep(50);
        SetCursorPos(back.left + 6, back.top + 6);
        waited = WaitUntil([&] { return tooltip != nullptr && IsWindowVisible(tooltip); }, WAIT_MS);
        if (waited < 0) return;
        GetWindowTextA(tooltip, shown, sizeof shown);
        Sleep(200);  // let it paint
        CaptureWindow(tooltip, &shot);
        WriteBmp(shot, std::string(SCREENSHOT_DIR) + "/about_tooltip.bmp");
    };
    RunAbout(&run);
    SetCursorPos(0, 0);

    ASSERT_NE(tooltip, nullptr);
    ASSERT_GE(waited, 0) << "no tip appeared over Back";
    EXPECT_STREQ(shown, "Close this Window");
    EXPECT_GT(shot.width, 0);
}
