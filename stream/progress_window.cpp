#include "progress_window.h"

#include <commctrl.h>

#include <stdint.h>

// Layout in dialog units of the system font: the window names no font.
enum : short {
    WINDOW_WIDTH = 145,
    WINDOW_HEIGHT = 16,
    BAR_LEFT = 4,
    BAR_TOP = 4,
    BAR_WIDTH = 138,
    BAR_HEIGHT = 8
};

enum : int { BAR_ID = 100, TICK_TIMER = 1, TICK_MS = 10, PROGRESS_MAX = 100 };

// In a dialog template this x asks for the system's default position.
static const short DEFAULT_POSITION = static_cast<short>(0x8000);

static const wchar_t BAR_CLASS[] = L"msctls_progress32";

// A dialog template with one control, built in memory: a header, empty
// menu, class and title arrays, then the progress bar's item.
struct DialogTemplate {
    alignas(4) WORD words[64];
    int count;
};

static void PutWord(DialogTemplate* t, WORD value) { t->words[t->count++] = value; }

static void PutDword(DialogTemplate* t, DWORD value) {
    PutWord(t, LOWORD(value));
    PutWord(t, HIWORD(value));
}

static void PutShort(DialogTemplate* t, short value) { PutWord(t, static_cast<WORD>(value)); }

static void BuildTemplate(DialogTemplate* t) {
    t->count = 0;
    // An overlapped window gets the default position; the caption that the
    // system gives every overlapped window is taken off at WM_INITDIALOG.
    PutDword(t, WS_BORDER);
    PutDword(t, 0);
    PutWord(t, 1);
    PutShort(t, DEFAULT_POSITION);
    PutShort(t, DEFAULT_POSITION);
    PutShort(t, WINDOW_WIDTH);
    PutShort(t, WINDOW_HEIGHT);
    PutWord(t, 0);  // no menu
    PutWord(t, 0);  // the dialog class
    PutWord(t, 0);  // no title
    if (t->count % 2 != 0) PutWord(t, 0);  // items start on a DWORD boundary

    PutDword(t, WS_CHILD | WS_VISIBLE);
    PutDword(t, 0);
    PutShort(t, BAR_LEFT);
    PutShort(t, BAR_TOP);
    PutShort(t, BAR_WIDTH);
    PutShort(t, BAR_HEIGHT);
    PutWord(t, BAR_ID);
    for (const wchar_t* c = BAR_CLASS; *c != L'\0'; ++c) PutWord(t, static_cast<WORD>(*c));
    PutWord(t, 0);
    PutWord(t, 0);  // no text
    PutWord(t, 0);  // no creation data
}

// A thin border and no title bar, with the client area the template asks for.
static void DropCaption(HWND window) {
    const LONG_PTR style =
        (GetWindowLongPtrA(window, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_DLGFRAME | WS_SYSMENU | WS_THICKFRAME)) |
        WS_BORDER;
    const LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE) &
                             ~static_cast<LONG_PTR>(WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME | WS_EX_CLIENTEDGE);
    SetWindowLongPtrA(window, GWL_STYLE, style);
    SetWindowLongPtrA(window, GWL_EXSTYLE, exStyle);
    RECT frame = {0, 0, WINDOW_WIDTH, WINDOW_HEIGHT};
    MapDialogRect(window, &frame);
    AdjustWindowRectEx(&frame, static_cast<DWORD>(style), FALSE, static_cast<DWORD>(exStyle));
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

static INT_PTR OnInitDialog(HWND window, ProgressWindow* progress) {
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(progress));
    progress->window = window;
    progress->bar = GetDlgItem(window, BAR_ID);
    SendMessageA(progress->bar, PBM_SETRANGE32, 0, PROGRESS_MAX);
    SendMessageA(progress->bar, PBM_SETPOS, 0, 0);
    DropCaption(window);
    // Focus for a control would activate the window and take the keyboard
    // from the host.
    return FALSE;
}

static void OnTimer(ProgressWindow* progress) {
    // No tick may arrive while a chunk is handled.
    KillTimer(progress->window, TICK_TIMER);
    if (progress->tick(progress->context)) {
        PostMessageA(progress->window, WM_CLOSE, 0, 0);
        return;
    }
    if (progress->destroyed) return;
    // Without its timer the loop would wait forever.
    if (SetTimer(progress->window, TICK_TIMER, TICK_MS, nullptr) == 0) {
        PostMessageA(progress->window, WM_CLOSE, 0, 0);
    }
}

static INT_PTR CALLBACK ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog(window, reinterpret_cast<ProgressWindow*>(lParam));
    ProgressWindow* progress = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrA(window, DWLP_USER));
    if (progress == nullptr) return FALSE;
    switch (message) {
    case WM_TIMER:
        if (wParam != TICK_TIMER) return FALSE;
        OnTimer(progress);
        return TRUE;
    case WM_CLOSE:
        progress->closeRequested = true;
        return TRUE;
    case WM_DESTROY:
        progress->destroyed = true;
        return FALSE;
    default:
        return FALSE;
    }
}

static HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ProgressProc), &module);
    return module;
}

bool OpenProgressWindow(ProgressWindow* progress, ProgressTick tick, void* context) {
    progress->tick = tick;
    progress->context = context;
    progress->window = nullptr;
    progress->bar = nullptr;
    progress->closeRequested = false;
    progress->destroyed = false;

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    DialogTemplate dialog;
    BuildTemplate(&dialog);
    // Owned by the active window (the host's, when a menu started us), it
    // stays in front of it without taking the keyboard from it. With no
    // window to own it, it comes to the front itself.
    HWND owner = GetActiveWindow();
    HWND window = CreateDialogIndirectParamA(ThisModule(), reinterpret_cast<LPCDLGTEMPLATEA>(dialog.words), owner,
                                             ProgressProc, reinterpret_cast<LPARAM>(progress));
    if (window == nullptr) return false;
    if (owner != nullptr) {
        ShowWindow(window, SW_SHOWNOACTIVATE);
    } else {
        ShowWindow(window, SW_SHOWNORMAL);
        SetForegroundWindow(window);
    }
    if (SetTimer(window, TICK_TIMER, TICK_MS, nullptr) != 0) return true;
    DestroyWindow(window);
    progress->window = nullptr;
    progress->bar = nullptr;
    return false;
}

void ShowProgress(ProgressWindow* progress, int32_t percent) {
    if (progress->bar != nullptr) SendMessageA(progress->bar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void RunProgressLoop(ProgressWindow* progress) {
    MSG message;
    while (!progress->closeRequested && !progress->destroyed) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == -1) return;
        if (got == 0) {
            // The host is quitting: let its own loop see the request too.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (IsDialogMessageA(progress->window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void CloseProgressWindow(ProgressWindow* progress) {
    if (progress->window != nullptr && !progress->destroyed) DestroyWindow(progress->window);
}
