#include "host_window.h"

#include "host_menu.h"
#include "host_script.h"

static const char HOST_WINDOW_CLASS[] = "VorlaneStandInHost";

static void OnCommand(HostWindow* state, UINT command) {
    const int32_t action = ActionOfCommand(command);
    if (action < 0 || state->action == nullptr) return;
    const bool scripted = state->script != nullptr && ScriptTakesClick(state->script, command);
    CallPluginAction(state->action, HOST_ORIGIN_MAIN_MENU, action, nullptr);
    if (scripted) ScriptActionReturned(state->script, state->window);
}

static LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* state = reinterpret_cast<HostWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (state == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_COMMAND:
        OnCommand(state, LOWORD(wParam));
        return 0;
    case WM_HOST_NEXT_STEP:
        if (state->script != nullptr) ScriptNextStep(state->script, window);
        return 0;
    case WM_DESTROY:
        if (state->quitOnDestroy == 1) PostQuitMessage(state->script != nullptr ? state->script->exitCode : 0);
        state->window = nullptr;
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

static bool RegisterHostClass() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = HostWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    windowClass.lpszClassName = HOST_WINDOW_CLASS;
    return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateHostWindow(HostWindow* state, const char* title) {
    if (!RegisterHostClass()) return nullptr;
    state->window = CreateWindowExA(0, HOST_WINDOW_CLASS, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                    640, 480, nullptr, nullptr, GetModuleHandleA(nullptr), state);
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
