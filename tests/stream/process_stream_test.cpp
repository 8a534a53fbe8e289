#include "stream/open_stream.h"
#include "stream/process_stream.h"

#include "screenshot.h"
#include "stream_test_files.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

using Records = std::vector<std::string>;

// What the callbacks saw during one load, and what they do on the way.
struct Seen {
    Records records;
    std::vector<int> barAtRecord;  // the bar's position in each record call
    int characterCalls = 0;
    int ticks = 0;                 // timer messages taken by the progress window
    DWORD firstTick = 0, lastTick = 0;
    HWND progress = nullptr;
    int actAtRecord = -1;          // record number (from 1) that runs action
    void (*action)(TextFileStream* stream) = nullptr;
};

Seen* seen = nullptr;

bool IsProgressWindow(HWND window) {
    char name[16];
    char title[8];
    return window != nullptr && GetClassNameA(window, name, sizeof name) > 0 && strcmp(name, "#32770") == 0 &&
           GetWindowTextA(window, title, sizeof title) == 0;
}

BOOL CALLBACK FindProgress(HWND window, LPARAM found) {
    if (!IsProgressWindow(window) || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND FindProgressWindow() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindProgress, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND ProgressBar(HWND progress) { return FindWindowExA(progress, nullptr, PROGRESS_CLASSA, nullptr); }

int BarPosition(HWND progress) {
    return progress == nullptr ? -1 : static_cast<int>(SendMessageA(ProgressBar(progress), PBM_GETPOS, 0, 0));
}

int32_t OnCharacter(TextFileStream*, int32_t, char*) {
    ++seen->characterCalls;
    if (seen->progress == nullptr) seen->progress = FindProgressWindow();
    return 0;
}

int32_t OnRecord(TextFileStream* stream, int32_t, char* record) {
    seen->records.emplace_back(record, static_cast<size_t>(stream->CURRENTRECORDINDEX));
    seen->barAtRecord.push_back(BarPosition(seen->progress));
    if (static_cast<int>(seen->records.size()) == seen->actAtRecord && seen->action != nullptr) seen->action(stream);
    return 0;
}

LRESULT CALLBACK CountTicks(int code, WPARAM removal, LPARAM parameter) {
    const MSG* message = reinterpret_cast<const MSG*>(parameter);
    if (code == HC_ACTION && removal == PM_REMOVE && message->message == WM_TIMER && seen != nullptr &&
        IsProgressWindow(message->hwnd)) {
        seen->lastTick = GetTickCount();
        if (seen->ticks++ == 0) seen->firstTick = seen->lastTick;
    }
    return CallNextHookEx(nullptr, code, removal, parameter);
}

// The records of a file as its lines: a line feed ends one, carriage
// returns are dropped, and a last line needs no line feed.
Records LinesOf(const std::string& bytes) {
    Records lines(1);
    for (char c : bytes) {
        if (c == '\r') continue;
        if (c == '\n') lines.emplace_back();
        else lines.back() += c;
    }
    if (lines.back().empty()) lines.pop_back();
    return lines;
}

// count lines of width characters (the line number, then letters), each
// ending in a line feed.
std::string NumberedLines(int count, int width) {
    std::string bytes;
    char number[16];
    for (int i = 0; i < count; ++i) {
        snprintf(number, sizeof number, "%07d ", i);
        std::string line = number;
        while (static_cast<int>(line.size()) < width) line += static_cast<char>('a' + line.size() % 26);
        bytes += line.substr(0, static_cast<size_t>(width)) + "\n";
    }
    return bytes;
}

// Messages that the host's window got while a file loaded, each with the
// number of records delivered when it was handled.
std::vector<size_t> hostHandled;
const UINT HOST_PING = WM_APP + 1;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == HOST_PING) {
        hostHandled.push_back(seen != nullptr ? seen->records.size() : 0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class ProcessStream : public ::testing::Test {
protected:
    // One host window for all the tests: destroying a window that was
    // active can take seconds under an X server with no window manager.
    static void SetUpTestSuite() {
        WNDCLASSA hostClass = {};
        hostClass.lpfnWndProc = HostProc;
        hostClass.hInstance = GetModuleHandleA(nullptr);
        hostClass.lpszClassName = "StreamTestHost";
        RegisterClassA(&hostClass);
        host = CreateWindowExA(0, "StreamTestHost", "Stream test host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                               400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }

    static void TearDownTestSuite() { DestroyWindow(host); }

    void SetUp() override {
        ASSERT_NE(host, nullptr);
        folder = MakeTestFolder("process");
        ASSERT_FALSE(folder.path.empty());
        SetForegroundWindow(host);
        SetActiveWindow(host);
        hostHandled.clear();
        seen = &observed;
    }

    void TearDown() override {
        seen = nullptr;
        RemoveTestFolder(folder);
    }

    // Opens path for reading and loads it with the recording callbacks.
    void Load(const std::string& path, int32_t sizeAtOpening = 0) {
        stream = OpenedStream();
        ASSERT_EQ(OpenTextStream(&stream, record, sizeof record, path.c_str(), 517), STREAM_OPENED);
        if (sizeAtOpening != 0) stream.FILESIZETOPROCESSINBYTES = sizeAtOpening;
        Process();
    }

    void Process() {
        HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, CountTicks, nullptr, GetCurrentThreadId());
        ProcessTextStream(&stream, sizeof record, OnCharacter, OnRecord, record);
        UnhookWindowsHookEx(hook);
    }

    static TextFileStream OpenedStream() {
        TextFileStream s;
        InitTextStream(&s);
        s.MODE = STREAM_MODE_READ;
        return s;
    }

    static HWND host;
    TestFolder folder;
    Seen observed;
    TextFileStream stream;
    char record[2048];
};

HWND ProcessStream::host = nullptr;

TEST_F(ProcessStream, ReadsTheFileAndClosesIt) {
    const std::string path = WriteTestFile(folder, "two.map", "AB\r\nXY\r\n");
    Load(path);
    EXPECT_EQ(observed.records, Records({"AB", "XY"}));
    EXPECT_EQ(observed.characterCalls, 8);
    EXPECT_EQ(observed.ticks, 2);
    EXPECT_EQ(stream.FILEHANDLE, 0);
    EXPECT_EQ(stream.LINENUMBER, 2);
    EXPECT_EQ(stream.FILESIZEPROCESSEDINBYTES, 4);
    EXPECT_TRUE(NobodyHolds(path));
    EXPECT_FALSE(IsWindow(observed.progress));
}

TEST_F(ProcessStream, EachTickReadsOneChunkOfAtMost8191Bytes) {
    struct Case {
        size_t size;
        int ticks;
    };
    const Case cases[] = {{8191, 2}, {8192, 3}, {16383, 4}};
    for (const Case& c : cases) {
        observed = Seen();
        std::string bytes = NumberedLines(static_cast<int>(c.size / 100 + 1), 99).substr(0, c.size);
        const std::string path = WriteTestFile(folder, "sized.map", bytes);
        Load(path);
        EXPECT_EQ(observed.ticks, c.ticks) << c.size << " bytes";
        EXPECT_EQ(observed.records, LinesOf(bytes)) << c.size << " bytes";
        EXPECT_EQ(observed.characterCalls, static_cast<int>(c.size));
    }
}

// What a person sees, checked from inside a load.
struct WindowLook {
    bool captionless = false, thinBorder = false, topLevel = false, visible = false;
    bool ownedByHost = false, aboveHost = false, hostActive = false, centred = true;
    RECT client = {}, bar = {};
    int children = 0;
    LRESULT low = -1, high = -1;
    bool timerArmed = true;
    int32_t secondOpening = -1;
} look;
HWND lookHost = nullptr;

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}


void LookAtWindow(TextFileStream* stream) {
    HWND progress = seen->progress;
    const LONG_PTR style = GetWindowLongPtrA(progress, GWL_STYLE);
    look.captionless = (style & WS_DLGFRAME) == 0 && (style & WS_SYSMENU) == 0;
    look.thinBorder = (style & WS_BORDER) != 0 && (style & WS_THICKFRAME) == 0;
    look.topLevel = (style & WS_CHILD) == 0 && GetAncestor(progress, GA_PARENT) == GetDesktopWindow();
    look.visible = IsWindowVisible(progress) != FALSE;
    look.ownedByHost = GetWindow(progress, GW_OWNER) == lookHost;
    for (HWND below = GetWindow(progress, GW_HWNDNEXT); below != nullptr; below = GetWindow(below, GW_HWNDNEXT)) {
        if (below == lookHost) look.aboveHost = true;
    }
    look.hostActive = GetActiveWindow() == lookHost;
    GetClientRect(progress, &look.client);
    HWND bar = ProgressBar(progress);
    GetWindowRect(bar, &look.bar);
    MapWindowPoints(nullptr, progress, reinterpret_cast<POINT*>(&look.bar), 2);
    EnumChildWindows(progress, CountChild, reinterpret_cast<LPARAM>(&look.children));
    look.low = SendMessageA(bar, PBM_GETRANGE, TRUE, 0);
    look.high = SendMessageA(bar, PBM_GETRANGE, FALSE, 0);

    RECT window, work;
    GetWindowRect(progress, &window);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    look.centred = (window.left + window.right) / 2 == (work.left + work.right) / 2 &&
                   (window.top + window.bottom) / 2 == (work.top + work.bottom) / 2;

    // A chunk is being handled: no tick may be due, however long it takes.
    Sleep(40);
    MSG message;
    look.timerArmed = PeekMessageA(&message, progress, WM_TIMER, WM_TIMER, PM_NOREMOVE | PM_NOYIELD) != FALSE;

    // A second run started now finds the stream busy.
    char other[16];
    look.secondOpening = OpenTextStream(stream, other, sizeof other, "C:\\windows\\win.ini", 0);

    UpdateWindow(progress);
    Sleep(200);
    Screenshot shot;
    if (CaptureWindow(progress, &shot)) WriteBmp(shot, "stream_progress_window.bmp");
}

TEST_F(ProcessStream, ProgressWindowAsAPersonSeesIt) {
    look = WindowLook();
    lookHost = host;
    // Looked at in the second of three chunks, with the bar part-way.
    const std::string bytes = NumberedLines(300, 80) + "last line, no line feed";
    observed.actAtRecord = 200;
    observed.action = LookAtWindow;
    const std::string path = WriteTestFile(folder, "look.map", bytes);
    Load(path);

    const LONG base = GetDialogBaseUnits();
    EXPECT_TRUE(look.captionless);
    EXPECT_TRUE(look.thinBorder);
    EXPECT_TRUE(look.topLevel);
    EXPECT_TRUE(look.visible);
    EXPECT_TRUE(look.ownedByHost);
    EXPECT_TRUE(look.aboveHost);
    EXPECT_TRUE(look.hostActive);  // the host keeps the keyboard
    EXPECT_FALSE(look.centred);
    EXPECT_EQ(look.client.right, MulDiv(145, LOWORD(base), 4));
    EXPECT_EQ(look.client.bottom, MulDiv(16, HIWORD(base), 8));
    EXPECT_EQ(look.children, 1);
    EXPECT_EQ(look.bar.left, MulDiv(4, LOWORD(base), 4));
    EXPECT_EQ(look.bar.top, MulDiv(4, HIWORD(base), 8));
    EXPECT_EQ(look.bar.right - look.bar.left, MulDiv(138, LOWORD(base), 4));
    EXPECT_EQ(look.bar.bottom - look.bar.top, MulDiv(8, HIWORD(base), 8));
    EXPECT_EQ(look.low, 0);
    EXPECT_EQ(look.high, 100);
    EXPECT_FALSE(look.timerArmed);
    EXPECT_EQ(look.secondOpening, STREAM_REFUSED);

    ASSERT_EQ(observed.records, LinesOf(bytes));
    EXPECT_EQ(observed.barAtRecord[199], 8100 * 100 / static_cast<int>(bytes.size()));  // after the first chunk
    EXPECT_EQ(observed.barAtRecord.back(), 100);  // the last line arrives after the end
    EXPECT_FALSE(IsWindow(observed.progress));
    EXPECT_EQ(GetActiveWindow(), host);
}

// A thread with no window of its own has nothing to own the progress
// window, which then comes to the front by itself.
struct UnownedLoad {
    std::string path;
    bool foreground = false;
    bool owned = true;
    size_t records = 0;
} unowned;

void LookAtTheUnownedWindow(TextFileStream*) {
    unowned.foreground = GetForegroundWindow() == seen->progress;
    unowned.owned = GetWindow(seen->progress, GW_OWNER) != nullptr;
}

DWORD WINAPI LoadWithoutWindows(void*) {
    TextFileStream stream;
    InitTextStream(&stream);
    stream.MODE = STREAM_MODE_READ;
    char record[2048];
    if (OpenTextStream(&stream, record, sizeof record, unowned.path.c_str(), 517) != STREAM_OPENED) return 1;
    ProcessTextStream(&stream, sizeof record, OnCharacter, OnRecord, record);
    unowned.records = seen->records.size();
    return 0;
}

TEST_F(ProcessStream, WithoutAnActiveWindowItComesToTheFront) {
    unowned = UnownedLoad();
    unowned.path = WriteTestFile(folder, "alone.map", "one\ntwo\n");
    observed.actAtRecord = 1;
    observed.action = LookAtTheUnownedWindow;
    HANDLE loader = CreateThread(nullptr, 0, LoadWithoutWindows, nullptr, 0, nullptr);
    // Serve this thread meanwhile: activation may send its windows messages.
    while (MsgWaitForMultipleObjects(1, &loader, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
    DWORD code = 9;
    GetExitCodeThread(loader, &code);
    CloseHandle(loader);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(unowned.records, 2u);
    EXPECT_TRUE(unowned.foreground);
    EXPECT_FALSE(unowned.owned);
}

// 200 lines of 100 characters and a line feed: the first chunk ends 10
// characters into line 82.
std::string InterruptedFile() { return NumberedLines(200, 100); }

Records RecordsUpToTheFirstChunk(const std::string& bytes) {
    Records records = LinesOf(bytes.substr(0, 8191));
    records.resize(82);
    return records;
}

HANDLE closerReady = nullptr;
HANDLE closerDone = nullptr;

DWORD WINAPI CloseFromOutside(void*) {
    WaitForSingleObject(closerReady, INFINITE);
    PostMessageA(seen->progress, WM_CLOSE, 0, 0);
    SetEvent(closerDone);
    return 0;
}

void AskTheOtherThread(TextFileStream*) {
    SetEvent(closerReady);
    WaitForSingleObject(closerDone, INFINITE);
}

void DestroyTheWindow(TextFileStream*) { DestroyWindow(seen->progress); }

void PostQuit(TextFileStream*) { PostQuitMessage(7); }

TEST_F(ProcessStream, WindowClosedFromOutsideEndsTheReading) {
    const std::string bytes = InterruptedFile();
    const std::string path = WriteTestFile(folder, "closed.map", bytes);

    closerReady = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    closerDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE closer = CreateThread(nullptr, 0, CloseFromOutside, nullptr, 0, nullptr);
    observed.actAtRecord = 10;
    observed.action = AskTheOtherThread;
    Load(path);
    WaitForSingleObject(closer, INFINITE);
    CloseHandle(closer);
    CloseHandle(closerReady);
    CloseHandle(closerDone);
    EXPECT_EQ(observed.records, RecordsUpToTheFirstChunk(bytes)) << "closed by a message";
    EXPECT_EQ(observed.records.back().size(), 10u);
    EXPECT_EQ(stream.FILEHANDLE, 0);
    EXPECT_TRUE(NobodyHolds(path));

    observed = Seen();
    observed.actAtRecord = 10;
    observed.action = DestroyTheWindow;
    Load(path);
    EXPECT_EQ(observed.records, RecordsUpToTheFirstChunk(bytes)) << "destroyed";
    EXPECT_EQ(stream.FILEHANDLE, 0);
    EXPECT_TRUE(NobodyHolds(path));
}

TEST_F(ProcessStream, QuitDuringALoadEndsItAndIsPostedAgain) {
    const std::string bytes = InterruptedFile();
    const std::string path = WriteTestFile(folder, "quit.map", bytes);
    observed.actAtRecord = 10;
    observed.action = PostQuit;
    Load(path);
    EXPECT_EQ(observed.records, RecordsUpToTheFirstChunk(bytes));
    EXPECT_EQ(stream.FILEHANDLE, 0);
    EXPECT_TRUE(NobodyHolds(path));
    EXPECT_FALSE(IsWindow(observed.progress));
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);
}

HANDLE pingerStart = nullptr;
HWND pingTarget = nullptr;
const int PINGS = 25;

DWORD WINAPI PingTheHost(void*) {
    WaitForSingleObject(pingerStart, INFINITE);
    for (int i = 0; i < PINGS; ++i) {
        PostMessageA(pingTarget, HOST_PING, static_cast<WPARAM>(i), 0);
        Sleep(20);
    }
    return 0;
}

void StartPinging(TextFileStream*) { SetEvent(pingerStart); }

TEST_F(ProcessStream, HostIsServedWhileAFileLoads) {
    const std::string bytes = NumberedLines(33000, 63);  // about 2 MiB
    const std::string path = WriteTestFile(folder, "big.map", bytes);
    pingerStart = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    pingTarget = host;
    HANDLE pinger = CreateThread(nullptr, 0, PingTheHost, nullptr, 0, nullptr);
    observed.actAtRecord = 1;
    observed.action = StartPinging;
    const DWORD start = GetTickCount();
    Load(path);
    const DWORD elapsed = GetTickCount() - start;
    WaitForSingleObject(pinger, INFINITE);
    CloseHandle(pinger);
    CloseHandle(pingerStart);

    ASSERT_EQ(observed.records.size(), 33000u);
    ASSERT_EQ(hostHandled.size(), static_cast<size_t>(PINGS));
    for (size_t handledAt : hostHandled) {
        EXPECT_GT(handledAt, 0u);
        EXPECT_LT(handledAt, observed.records.size());
    }
    const DWORD ticking = observed.lastTick - observed.firstTick;
    printf("loaded %zu bytes in %lu ms: %d ticks, %.1f ms from one to the next, %d host messages served\n",
           bytes.size(), static_cast<unsigned long>(elapsed), observed.ticks,
           static_cast<double>(ticking) / (observed.ticks - 1), PINGS);
}

// The file may hold more than the size found at opening (it grew since):
// it is still read to a read that returns nothing, and the bar stays in
// its range.
TEST_F(ProcessStream, ReadsPastTheSizeFoundAtOpening) {
    const std::string bytes = NumberedLines(300, 80);
    const std::string path = WriteTestFile(folder, "grown.map", bytes);
    Load(path, 100);
    EXPECT_EQ(observed.records, LinesOf(bytes));
    EXPECT_EQ(stream.FILESIZEPROCESSEDINBYTES, 300 * 80);
    for (int position : observed.barAtRecord) {
        EXPECT_GE(position, 0);
        EXPECT_LE(position, 100);
    }
}

TEST_F(ProcessStream, StreamWithNoFileEndsAtTheFirstTick) {
    stream = OpenedStream();
    Process();
    EXPECT_EQ(observed.ticks, 1);
    EXPECT_TRUE(observed.records.empty());
    EXPECT_EQ(observed.characterCalls, 0);
    EXPECT_EQ(stream.FILEHANDLE, 0);
    EXPECT_EQ(FindProgressWindow(), nullptr);
}

}  // namespace
