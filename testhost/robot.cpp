#include "robot.h"

#include <string.h>

// Control ids of the common file dialog and the message box.
enum { FILE_NAME_COMBO = 1148, MESSAGE_TEXT = 65535, POLL_MS = 20 };

void RobotInit(RobotTask* task, const char* title, RobotAction action) {
    memset(task, 0, sizeof *task);
    task->windowClass = "#32770";
    task->title = title;
    task->action = action;
    task->timeoutMs = 10000;
}

// Other programs in the same Wine prefix may show a window of that title.
static HWND FindOwnWindow(const RobotTask* task) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, task->windowClass, task->title)) != nullptr) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId() && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

static HWND WaitForWindow(const RobotTask* task) {
    for (DWORD waited = 0; waited < task->timeoutMs && task->stopRequested == 0; waited += POLL_MS) {
        HWND window = FindOwnWindow(task);
        if (window != nullptr) return window;
        Sleep(POLL_MS);
    }
    return nullptr;
}

static HWND FileNameEdit(HWND dialog) {
    HWND combo = GetDlgItem(dialog, FILE_NAME_COMBO);
    if (combo == nullptr) return GetDlgItem(dialog, 1152);
    HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
    return edit != nullptr ? edit : combo;
}

static void ReadWindow(RobotTask* task) {
    HWND text = GetDlgItem(task->window, MESSAGE_TEXT);
    if (text != nullptr) GetWindowTextA(text, task->text, sizeof task->text);
    HWND edit = FileNameEdit(task->window);
    if (edit != nullptr) {
        SendMessageA(edit, WM_GETTEXT, sizeof task->fileField, reinterpret_cast<LPARAM>(task->fileField));
        SendMessageA(task->window, CDM_GETFOLDERPATH, sizeof task->folder,
                     reinterpret_cast<LPARAM>(task->folder));
    }
}

static void PressButton(HWND window, int id) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

// A dialog that is still there after OK went into a folder instead of
// returning: cancel it so that the caller is not left waiting.
static void ChooseOrGiveUp(RobotTask* task) {
    for (DWORD waited = 0; waited < 3000; waited += POLL_MS) {
        if (!IsWindow(task->window)) return;
        Sleep(POLL_MS);
    }
    task->leftOpen = true;
    PressButton(task->window, IDCANCEL);
}

static DWORD WINAPI RobotThread(void* parameter) {
    RobotTask* task = static_cast<RobotTask*>(parameter);
    task->window = WaitForWindow(task);
    if (task->window == nullptr) return 0;
    task->owner = GetWindow(task->window, GW_OWNER);
    // Let the dialog finish its own set-up before it is read or answered.
    Sleep(100);
    ReadWindow(task);
    switch (task->action) {
    case ROBOT_FIND_ONLY:
        break;
    case ROBOT_PRESS:
        PressButton(task->window, task->button);
        break;
    case ROBOT_CHOOSE_FILE:
        SendMessageA(FileNameEdit(task->window), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(task->fileName));
        PressButton(task->window, IDOK);
        ChooseOrGiveUp(task);
        break;
    case ROBOT_CANCEL:
        PressButton(task->window, IDCANCEL);
        break;
    }
    return 0;
}

void RobotStart(RobotTask* task) {
    task->thread = CreateThread(nullptr, 0, RobotThread, task, 0, nullptr);
}

bool RobotFinish(RobotTask* task) {
    if (task->thread != nullptr) {
        WaitForSingleObject(task->thread, INFINITE);
        CloseHandle(task->thread);
        task->thread = nullptr;
    }
    return task->window != nullptr;
}

bool RobotStop(RobotTask* task) {
    InterlockedExchange(&task->stopRequested, 1);
    return RobotFinish(task);
}
