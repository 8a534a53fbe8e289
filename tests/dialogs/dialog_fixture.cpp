#include "dialog_fixture.h"

#include "robot.h"

#include <string.h>

std::string DialogTestFolder() {
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    char longTemp[MAX_PATH] = "";
    if (GetLongPathNameA(temp, longTemp, sizeof longTemp) == 0) strcpy(longTemp, temp);
    const std::string folder = std::string(longTemp) + "vorlane dialog tests";
    CreateDirectoryA(folder.c_str(), nullptr);
    HANDLE file = CreateFileA((folder + "\\pick.map").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return folder;
}

std::string CurrentDirectory() {
    char directory[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof directory, directory);
    return directory;
}

static DWORD WINAPI WatchThread(void* parameter) {
    ButtonWatch* watch = static_cast<ButtonWatch*>(parameter);
    RobotTask find;
    RobotInit(&find, watch->title, ROBOT_FIND_ONLY);
    RobotStart(&find);
    if (!RobotFinish(&find)) return 0;
    GetDlgItemTextA(find.window, IDOK, watch->okText, sizeof watch->okText);
    PostMessageA(find.window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return 0;
}

void StartButtonWatch(ButtonWatch* watch, const char* title) {
    memset(watch, 0, sizeof *watch);
    watch->title = title;
    watch->thread = CreateThread(nullptr, 0, WatchThread, watch, 0, nullptr);
}

bool FinishButtonWatch(ButtonWatch* watch) {
    WaitForSingleObject(watch->thread, INFINITE);
    CloseHandle(watch->thread);
    return watch->okText[0] != '\0';
}
