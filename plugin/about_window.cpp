// The About window: the plug-in's identity, a Back and a Help button, and
// the Help button kept in step with the help window the plug-in knows of.
#include "commands.h"
#include "help.h"
#include "plugin_state.h"
#include "resource.h"

#include <windows.h>
#include <commctrl.h>

enum { WATCH_TIMER = 1, WATCH_INTERVAL_MS = 100, SHOWN_TEXT_CAPACITY = 41 };
enum { TITLE_POINTS = 14, LABEL_POINTS = 8, ICON_SIZE = 32 };

static const char FONT_FACE[] = "MS Sans Serif";
static const COLORREF TITLE_COLOUR = RGB(0, 0, 128);
static const char BACK_TIP[] = "Close this Window";
static const char HELP_TIP[] = "What this PlugIn does";

// One open About window; lives in ShowAbout's frame, so nested windows
// (About again from the host's menu) each have their own.
struct AboutWindow {
    HWND window;
    HFONT titleFont;
    HFONT boldFont;
    HICON backIcon;
    bool ended;  // the close request has been handled
};

static AboutWindow* AboutOf(HWND window) {
    return reinterpret_cast<AboutWindow*>(GetWindowLongPtrA(window, DWLP_USER));
}

static HFONT CreateBoldFont(HWND window, int points) {
    HDC screen = GetDC(window);
    const int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(window, screen);
    return CreateFontA(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, FONT_FACE);
}

// The fields show at most their first 40 characters.
static void ShowText(HWND window, int control, const char* text) {
    char shown[SHOWN_TEXT_CAPACITY];
    lstrcpynA(shown, text, SHOWN_TEXT_CAPACITY);
    SetDlgItemTextA(window, control, shown);
}

static void SetControlFont(HWND window, int control, HFONT font) {
    SendDlgItemMessageA(window, control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

// The "For:" label is as wide as its text in its bold font.
static void FitLabelToText(HWND window, int control, HFONT font) {
    HWND label = GetDlgItem(window, control);
    char text[16];
    const int length = GetWindowTextA(label, text, sizeof text);
    HDC dc = GetDC(label);
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE extent = {};
    GetTextExtentPoint32A(dc, text, length, &extent);
    SelectObject(dc, previous);
    ReleaseDC(label, dc);
    RECT box;
    GetWindowRect(label, &box);
    SetWindowPos(label, nullptr, 0, 0, extent.cx, box.bottom - box.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

static void AddTooltip(HWND tooltip, HWND owner, int control, const char* text) {
    TTTOOLINFOA tool = {};
    // The oldest size every version of the common controls accepts.
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(owner, control));
    tool.lpszText = const_cast<char*>(text);
    SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

// Owned by the window, so it goes when the window does.
static void CreateTooltips(HWND window) {
    HWND tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, PluginModule, nullptr);
    if (tooltip == nullptr) return;
    AddTooltip(tooltip, window, ABOUT_BACK, BACK_TIP);
    AddTooltip(tooltip, window, ABOUT_HELP, HELP_TIP);
}

static void SetUpFonts(AboutWindow* about) {
    HWND window = about->window;
    about->titleFont = CreateBoldFont(window, TITLE_POINTS);
    about->boldFont = CreateBoldFont(window, LABEL_POINTS);
    SetControlFont(window, ABOUT_TITLE, about->titleFont);
    SetControlFont(window, ABOUT_AUTHOR, about->boldFont);
    SetControlFont(window, ABOUT_FOR_LABEL, about->boldFont);
    SetControlFont(window, ABOUT_AUDIENCE, about->boldFont);
    FitLabelToText(window, ABOUT_FOR_LABEL, about->boldFont);
}

// A known help window, live or not, is watched until it has gone; until
// then Help stays disabled.
static void StartHelpState(HWND window) {
    const bool watching = HelpWindowHandle != nullptr;
    EnableWindow(GetDlgItem(window, ABOUT_HELP), watching ? FALSE : TRUE);
    if (watching) SetTimer(window, WATCH_TIMER, WATCH_INTERVAL_MS, nullptr);
}

static void OnInit(HWND window, AboutWindow* about) {
    about->window = window;
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(about));
    ShowText(window, ABOUT_TITLE, PLUGIN_TITLE_LINE);
    ShowText(window, ABOUT_AUTHOR, PLUGIN_AUTHOR_LINE);
    SetUpFonts(about);
    about->backIcon = static_cast<HICON>(LoadImageA(PluginModule, "SHFTLEFT_ICO", IMAGE_ICON, ICON_SIZE, ICON_SIZE, 0));
    SendDlgItemMessageA(window, ABOUT_BACK, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(about->backIcon));
    CreateTooltips(window);
    StartHelpState(window);
}

static void OnWatchTick(HWND window) {
    if (IsWindow(HelpWindowHandle)) return;
    HelpWindowHandle = nullptr;
    EnableWindow(GetDlgItem(window, ABOUT_HELP), TRUE);
    KillTimer(window, WATCH_TIMER);
}

// HTML Help is only asked to close its windows when the one we know of is
// still there; the handle is forgotten either way.
static void EndAbout(AboutWindow* about) {
    if (about->ended) return;
    about->ended = true;
    KillTimer(about->window, WATCH_TIMER);
    if (HelpWindowHandle != nullptr && IsWindow(HelpWindowHandle)) CloseAllHelpWindows();
    HelpWindowHandle = nullptr;
}

static void OnCommand(HWND window, int control) {
    switch (control) {
    case ABOUT_BACK:
    case IDCANCEL:  // Escape
        PostMessageA(window, WM_CLOSE, 0, 0);
        break;
    case ABOUT_HELP:
        HelpWindowHandle = ShowHelp(window);
        break;
    default:
        break;
    }
}

static INT_PTR CALLBACK AboutProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInit(window, reinterpret_cast<AboutWindow*>(lParam));
        return TRUE;
    case WM_TIMER:
        if (wParam == WATCH_TIMER) OnWatchTick(window);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) OnCommand(window, LOWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        EndAbout(AboutOf(window));
        return TRUE;
    case WM_DESTROY:
        // Destroyed from outside: the loop must still end.
        if (AboutOf(window) != nullptr) EndAbout(AboutOf(window));
        return FALSE;
    case WM_CTLCOLORSTATIC:
        if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) != ABOUT_TITLE) return FALSE;
        SetTextColor(reinterpret_cast<HDC>(wParam), TITLE_COLOUR);
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    default:
        return FALSE;
    }
}

// Serves every window of the thread, so the host stays usable. A quit
// request ends the window too and is passed on to the host's own loop.
static void RunAboutLoop(AboutWindow* about) {
    MSG message;
    while (!about->ended) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            EndAbout(about);
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (got < 0) {
            EndAbout(about);
            return;
        }
        if (IsDialogMessageA(about->window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

static void ReleaseAbout(AboutWindow* about) {
    if (about->titleFont != nullptr) DeleteObject(about->titleFont);
    if (about->boldFont != nullptr) DeleteObject(about->boldFont);
    if (about->backIcon != nullptr) DestroyIcon(about->backIcon);
}

void ShowAbout() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    AboutWindow about = {};
    HWND window = CreateDialogParamA(PluginModule, MAKEINTRESOURCEA(ABOUT_DIALOG), nullptr, AboutProc,
                                     reinterpret_cast<LPARAM>(&about));
    if (window == nullptr) return;
    ShowWindow(window, SW_SHOW);
    RunAboutLoop(&about);
    if (IsWindow(window)) DestroyWindow(window);
    ReleaseAbout(&about);
}
