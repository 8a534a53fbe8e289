#include "screenshot.h"

#include <commctrl.h>
#include <stdio.h>

bool CaptureWindow(HWND window, Screenshot* shot) {
    RECT box;
    if (!GetWindowRect(window, &box)) return false;
    shot->width = box.right - box.left;
    shot->height = box.bottom - box.top;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot->width;
    info.bmiHeader.biHeight = -shot->height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, shot->width, shot->height, screen, box.left, box.top, SRCCOPY) != FALSE;
    GdiFlush();
    const uint32_t* source = static_cast<const uint32_t*>(bits);
    shot->pixels.assign(source, source + static_cast<size_t>(shot->width) * shot->height);
    for (uint32_t& pixel : shot->pixels) pixel &= 0x00FFFFFF;
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return copied;
}

bool WriteBmp(const Screenshot& shot, const std::string& path) {
    const int rowBytes = (shot.width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER header = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + rowBytes * shot.height;
    header.biSize = sizeof header;
    header.biWidth = shot.width;
    header.biHeight = shot.height;  // bottom row first
    header.biPlanes = 1;
    header.biBitCount = 24;
    FILE* out = fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    fwrite(&file, sizeof file, 1, out);
    fwrite(&header, sizeof header, 1, out);
    std::vector<unsigned char> row(rowBytes, 0);
    for (int y = shot.height - 1; y >= 0; --y) {
        for (int x = 0; x < shot.width; ++x) {
            const uint32_t pixel = shot.pixels[static_cast<size_t>(y) * shot.width + x];
            row[x * 3] = pixel & 0xFF;
            row[x * 3 + 1] = (pixel >> 8) & 0xFF;
            row[x * 3 + 2] = (pixel >> 16) & 0xFF;
        }
        fwrite(row.data(), 1, row.size(), out);
    }
    return fclose(out) == 0;
}

int CountPixels(const Screenshot& shot, const RECT& area, COLORREF colour) {
    const uint32_t wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    int count = 0;
    for (int y = area.top; y < area.bottom && y < shot.height; ++y) {
        for (int x = area.left; x < area.right && x < shot.width; ++x) {
            if (y >= 0 && x >= 0 && shot.pixels[static_cast<size_t>(y) * shot.width + x] == wanted) ++count;
        }
    }
    return count;
}

// A bar this far along shows that the load is well under way.
enum { SHOT_AT_PERCENT = 20, PAINT_WAIT_MS = 15 };

bool SaveWindowShot(HWND window, const char* path) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
    // The screen gets what was drawn a moment later under Wine's X11 driver.
    Sleep(PAINT_WAIT_MS);
    Screenshot picture;
    return CaptureWindow(window, &picture) && WriteBmp(picture, path);
}

// A top-level window of the process that holds a progress bar that far.
struct ProgressSearch {
    HWND found;
};

static BOOL CALLBACK FindMovedBar(HWND child, LPARAM parameter) {
    char name[32];
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, PROGRESS_CLASSA) != 0 || SendMessageA(child, PBM_GETPOS, 0, 0) < SHOT_AT_PERCENT) return TRUE;
    reinterpret_cast<ProgressSearch*>(parameter)->found = child;
    return FALSE;
}

static BOOL CALLBACK FindProgressWindow(HWND window, LPARAM parameter) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
    ProgressSearch bar = {nullptr};
    EnumChildWindows(window, FindMovedBar, reinterpret_cast<LPARAM>(&bar));
    if (bar.found == nullptr) return TRUE;
    reinterpret_cast<ProgressSearch*>(parameter)->found = window;
    return FALSE;
}

static DWORD WINAPI ProgressShotThread(void* parameter) {
    ProgressShot* shot = static_cast<ProgressShot*>(parameter);
    while (shot->stop == 0) {
        ProgressSearch search = {nullptr};
        EnumWindows(FindProgressWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            // The bar has its new value; give the window a moment to paint it.
            Sleep(PAINT_WAIT_MS);
            Screenshot picture;
            shot->written = CaptureWindow(search.found, &picture) && WriteBmp(picture, shot->path);
            return 0;
        }
        Sleep(2);
    }
    return 0;
}

void StartProgressShot(ProgressShot* shot, const char* path) {
    lstrcpynA(shot->path, path, sizeof shot->path);
    shot->stop = 0;
    shot->written = false;
    shot->thread = CreateThread(nullptr, 0, ProgressShotThread, shot, 0, nullptr);
}

bool StopProgressShot(ProgressShot* shot) {
    InterlockedExchange(&shot->stop, 1);
    if (shot->thread != nullptr) {
        WaitForSingleObject(shot->thread, INFINITE);
        CloseHandle(shot->thread);
        shot->thread = nullptr;
    }
    return shot->written;
}
