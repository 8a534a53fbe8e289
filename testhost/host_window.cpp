#include "host_window.h"

#include "host_menu.h"
#include "host_script.h"

#include "host/host_services.h"

#include <commctrl.h>

static const char HOST_WINDOW_CLASS[] = "VorlaneStandInHost";

enum : int { WINDOW_WIDTH = 800, WINDOW_HEIGHT = 600, ADDRESS_COLUMN_WIDTH = 90, LOG_MIN_HEIGHT = 60, GAP = 4 };

static void OnCommand(HostWindow* state, UINT command) {
    const int32_t action = ActionOfCommand(command);
    if (action < 0 || state->action == nullptr) return;
    const bool scripted = state->script != nullptr && ScriptTakesClick(state->script, command);
    CallPluginAction(state->action, HOST_ORIGIN_MAIN_MENU, action, nullptr);
    if (scripted) ScriptActionReturned(state->script, state->window);
}

static void AddLogLine(HostWindow* state, const char* text) {
    const LRESULT index = SendMessageA(state->log, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index >= 0) SendMessageA(state->log, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

static void ShowCount(HostWindow* state) {
    char text[64];
    FormatNamesCount(state->shown.rows.size(), text, sizeof text);
    SendMessageA(state->status, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
}

// The only moment the list looks at the table: a load in progress or a
// table cut short stays out of sight until the next redraw.
static void RefreshNames(HostWindow* state) {
    TakeNamesSnapshot(Host().names, NAME_TYPE_LABEL, &state->shown);
    SendMessageA(state->names, LVM_SETITEMCOUNT, static_cast<WPARAM>(state->shown.rows.size()), 0);
    ShowCount(state);
    UpdateWindow(state->names);
}

static void OnLogged(void* context, const HostLogLine& line) {
    AddLogLine(static_cast<HostWindow*>(context), line.text.c_str());
}

static void OnBroadcast(void* context, const HostBroadcast& broadcast) {
    if (broadcast.message == HOST_MESSAGE_REDRAW_NAMES) RefreshNames(static_cast<HostWindow*>(context));
}

static void AddColumn(HWND list, int index, const char* title, int width) {
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<char*>(title);
    column.cx = width;
    SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

static HWND CreatePane(HWND parent, const char* windowClass, DWORD style, int id) {
    HWND pane = CreateWindowExA(WS_EX_CLIENTEDGE, windowClass, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(pane, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return pane;
}

static bool CreatePanes(HostWindow* state, HWND window) {
    state->log = CreatePane(window, "LISTBOX", WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL, HOST_LOG_ID);
    state->names = CreatePane(window, WC_LISTVIEWA, LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                              HOST_NAMES_ID);
    state->status = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(HOST_STATUS_ID)),
                                    GetModuleHandleA(nullptr), nullptr);
    if (state->log == nullptr || state->names == nullptr || state->status == nullptr) return false;
    SendMessageA(state->names, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    AddColumn(state->names, 0, "Address", ADDRESS_COLUMN_WIDTH);
    AddColumn(state->names, 1, "Name", 0);
    for (const HostLogLine& line : Host().log) AddLogLine(state, line.text.c_str());
    ShowCount(state);
    state->listener = {state, OnLogged, OnBroadcast};
    HostListen(&state->listener);
    return true;
}

// The log takes a quarter of the height, the Names list the rest, the
// status bar its own line at the bottom.
static void LayOutPanes(HostWindow* state, int width, int height) {
    SendMessageA(state->status, WM_SIZE, 0, 0);
    RECT bar;
    GetWindowRect(state->status, &bar);
    const int area = height - (bar.bottom - bar.top);
    int logHeight = area / 4;
    if (logHeight < LOG_MIN_HEIGHT) logHeight = LOG_MIN_HEIGHT;
    if (logHeight > area) logHeight = area;
    const int namesTop = logHeight + GAP;
    MoveWindow(state->log, 0, 0, width, logHeight, TRUE);
    MoveWindow(state->names, 0, namesTop, width, area > namesTop ? area - namesTop : 0, TRUE);
    // Room for the scroll bar that a long list brings, so that the names
    // never need a horizontal one.
    const int frame = GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE);
    const int nameWidth = width - ADDRESS_COLUMN_WIDTH - frame;
    SendMessageA(state->names, LVM_SETCOLUMNWIDTH, 1, nameWidth > 0 ? nameWidth : 0);
}

static void CopyCell(char* target, int capacity, const char* text) {
    if (target != nullptr && capacity > 0) lstrcpynA(target, text, capacity);
}

static void FillNamesCell(const HostWindow* state, NMLVDISPINFOA* request) {
    LVITEMA& item = request->item;
    if ((item.mask & LVIF_TEXT) == 0 || item.iItem < 0) return;
    const size_t row = static_cast<size_t>(item.iItem);
    char address[NAMES_ADDRESS_CAPACITY] = "";
    const char* text = SnapshotName(state->shown, row);
    if (item.iSubItem == 0) {
        if (row < state->shown.rows.size()) FormatNamesAddress(state->shown.rows[row].address, address);
        text = address;
    }
    CopyCell(item.pszText, item.cchTextMax, text);
}

static LRESULT OnNotify(HostWindow* state, const NMHDR* header) {
    if (header->hwndFrom == state->names && header->code == LVN_GETDISPINFOA) {
        FillNamesCell(state, reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header)));
    }
    return 0;
}

static void OnDestroy(HostWindow* state) {
    HostStopListening(&state->listener);
    if (state->quitOnDestroy == 1) PostQuitMessage(state->script != nullptr ? state->script->exitCode : 0);
    state->window = nullptr;
    state->log = nullptr;
    state->names = nullptr;
    state->status = nullptr;
}

static LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* state = reinterpret_cast<HostWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (state == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_CREATE:
        return CreatePanes(state, window) ? 0 : -1;
    case WM_SIZE:
        LayOutPanes(state, LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_NOTIFY:
        return OnNotify(state, reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND:
        OnCommand(state, LOWORD(wParam));
        return 0;
    case WM_HOST_NEXT_STEP:
        if (state->script != nullptr) ScriptNextStep(state->script, window);
        return 0;
    case WM_DESTROY:
        OnDestroy(state);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

static bool RegisterHostClass() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = HostWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = HOST_WINDOW_CLASS;
    return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateHostWindow(HostWindow* state, const char* title) {
    if (!RegisterHostClass()) return nullptr;
    state->window = CreateWindowExA(0, HOST_WINDOW_CLASS, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                    WINDOW_WIDTH, WINDOW_HEIGHT, nullptr, nullptr, GetModuleHandleA(nullptr), state);
    return state->window;
}

int RunHostMessageLoop() {
    MSG message;
    BOOL got;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return got == 0 ? static_cast<int>(message.wParam) : 1;
}
