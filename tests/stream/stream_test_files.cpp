#include "stream_test_files.h"

#include <stdio.h>

TestFolder MakeTestFolder(const char* tag) {
    static int counter = 0;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    TestFolder folder;
    // Wine hands out the same process ids again, so a folder that a killed
    // run left behind may already have this name: take the next one.
    for (int attempt = 0; attempt < 100; ++attempt) {
        char path[MAX_PATH];
        snprintf(path, sizeof path, "%svorlane-%s-%lu-%d\\", temp, tag, GetCurrentProcessId(), ++counter);
        if (CreateDirectoryA(path, nullptr)) {
            folder.path = path;
            break;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    return folder;
}

static void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path + "\\");
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

void RemoveTestFolder(const TestFolder& folder) {
    if (!folder.path.empty()) RemoveTree(folder.path);
}

std::string WriteTestFile(const TestFolder& folder, const char* name, const std::string& bytes) {
    const std::string path = folder.path + name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return path;
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

std::string ReadTestFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char buffer[4096];
    DWORD count = 0;
    while (ReadFile(file, buffer, sizeof buffer, &count, nullptr) && count > 0) bytes.append(buffer, count);
    CloseHandle(file);
    return bytes;
}

bool NobodyHolds(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

size_t BusyHeapBytes() {
    HANDLE heap = GetProcessHeap();
    PROCESS_HEAP_ENTRY entry;
    entry.lpData = nullptr;
    size_t busy = 0;
    HeapLock(heap);
    while (HeapWalk(heap, &entry)) {
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) busy += entry.cbData;
    }
    HeapUnlock(heap);
    return busy;
}
