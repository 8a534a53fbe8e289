#include "stream/open_stream.h"

#include "robot.h"
#include "stream_test_files.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <winioctl.h>

#include <string.h>

#include <string>

namespace {

const char QUESTION_TITLE[] = "Opening File for Output";
const char QUESTION_END[] = "\" exists.\n\nIs it OK to OVERWRITE it?";

HANDLE FieldHandle(const TextFileStream& stream) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(stream.FILEHANDLE));
}

TextFileStream StreamIn(int32_t mode) {
    TextFileStream stream;
    InitTextStream(&stream);
    stream.MODE = mode;
    stream.COLLECTASUPPER = 1;
    return stream;
}

class OpenStream : public ::testing::Test {
protected:
    void SetUp() override {
        folder = MakeTestFolder("open");
        ASSERT_FALSE(folder.path.empty());
    }

    void TearDown() override {
        CloseIfOpen(&stream);
        RemoveTestFolder(folder);
    }

    static void CloseIfOpen(TextFileStream* s) {
        if (s->FILEHANDLE != 0) CloseHandle(FieldHandle(*s));
        s->FILEHANDLE = 0;
    }

    int32_t Open(const std::string& path, int32_t capacity = 2048) {
        return OpenTextStream(&stream, record, capacity, path.c_str(), 517);
    }

    // Opens for writing while a robot waits for a question it must not
    // see; false when one appeared.
    int32_t OpenWithoutQuestion(const std::string& path, bool* asked) {
        RobotTask robot;
        RobotInit(&robot, QUESTION_TITLE, ROBOT_PRESS);
        robot.button = IDNO;
        robot.timeoutMs = 500;
        RobotStart(&robot);
        const int32_t result = Open(path);
        *asked = RobotFinish(&robot);
        return result;
    }

    TestFolder folder;
    TextFileStream stream = StreamIn(STREAM_MODE_READ);
    char record[2048];
};

TEST_F(OpenStream, MissingFileGives2AndTheRecordOpensAtOnceAfter) {
    EXPECT_EQ(Open(folder.path + "missing.map"), STREAM_NOT_FOUND);
    EXPECT_EQ(stream.FILEHANDLE, 0);
    EXPECT_EQ(Open(WriteTestFile(folder, "there.map", "x\n")), STREAM_OPENED);
    EXPECT_NE(stream.FILEHANDLE, 0);
}

TEST_F(OpenStream, EmptyFileAndDirectoryGive6) {
    CreateDirectoryA((folder.path + "sub").c_str(), nullptr);
    for (const std::string& path : {WriteTestFile(folder, "empty.map", ""), folder.path + "sub"}) {
        stream = StreamIn(STREAM_MODE_READ);
        EXPECT_EQ(Open(path), STREAM_EMPTY) << path;
        EXPECT_EQ(stream.FILEHANDLE, 0) << path;
    }
}

TEST_F(OpenStream, FileOf4GiBGives5) {
    const std::string path = folder.path + "huge.map";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD returned = 0;
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = 0x100000000LL;
    ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);

    EXPECT_EQ(Open(path), STREAM_TOO_LARGE);
    EXPECT_EQ(stream.FILEHANDLE, 0);
}

TEST_F(OpenStream, OpenRecordGives1AndStaysAsItWas) {
    const std::string path = WriteTestFile(folder, "first.map", "first\n");
    ASSERT_EQ(Open(path), STREAM_OPENED);
    const TextFileStream before = stream;
    EXPECT_EQ(Open(WriteTestFile(folder, "second.map", "second\n")), STREAM_REFUSED);
    EXPECT_EQ(Open(folder.path + "missing.map"), STREAM_REFUSED);
    EXPECT_EQ(memcmp(&stream, &before, sizeof stream), 0);

    char bytes[16];
    DWORD count = 0;
    ASSERT_TRUE(ReadFile(FieldHandle(stream), bytes, sizeof bytes, &count, nullptr));
    EXPECT_EQ(std::string(bytes, count), "first\n");
}

TEST_F(OpenStream, ModesOtherThanTheTwoAreRefused) {
    const std::string path = WriteTestFile(folder, "any.map", "x\n");
    for (int32_t mode : {0, 1, static_cast<int32_t>(0xC0000000u), 0x20000000, -1}) {
        stream = StreamIn(mode);
        const TextFileStream before = stream;
        EXPECT_EQ(Open(path), STREAM_REFUSED) << mode;
        EXPECT_EQ(memcmp(&stream, &before, sizeof stream), 0) << mode;
    }
}

TEST_F(OpenStream, OpeningForReadingPreparesTheRecord) {
    const std::string path = WriteTestFile(folder, "ready.map", std::string(1234, 'r'));
    stream.COLLECTASUPPER = 7;
    stream.COJOINEDFILEHANDLE = 99;
    stream.CURRENTRECORDINDEX = 5;
    stream.FILESIZEPROCESSEDINBYTES = 77;
    stream.LINENUMBER = 3;
    ASSERT_EQ(Open(path), STREAM_OPENED);
    EXPECT_NE(stream.FILEHANDLE, 0);
    EXPECT_EQ(stream.MODE, STREAM_MODE_READ);
    EXPECT_EQ(stream.COLLECTASUPPER, 7);
    EXPECT_EQ(stream.FILESIZETOPROCESSINBYTES, 1234);
    EXPECT_EQ(stream.FILESIZEPROCESSEDINBYTES, 0);
    EXPECT_STREQ(stream.PREVIOUSCHARACTERSZ, "");
    EXPECT_STREQ(stream.CURRENTCHARACTERSZ, "");
    EXPECT_EQ(stream.CURRENTRECORDINDEX, 0);
    EXPECT_EQ(stream.MAXIMUMTRECORDINDEX, 2047);
    EXPECT_EQ(stream.COJOINEDFILEHANDLE, 0);
    EXPECT_EQ(stream.LINENUMBER, 0);
}

TEST_F(OpenStream, ReadingSharesTheFileForReadingOnly) {
    const std::string path = WriteTestFile(folder, "shared.map", "x\n");
    ASSERT_EQ(Open(path), STREAM_OPENED);
    HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
}

TEST_F(OpenStream, FileHeldOpenForWritingGives2) {
    const std::string path = WriteTestFile(folder, "busy.map", "0123456789");
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open(path), STREAM_NOT_FOUND);
    EXPECT_EQ(stream.FILEHANDLE, 0);
    EXPECT_EQ(stream.FILESIZETOPROCESSINBYTES, 10);  // the size was taken before the open failed
    CloseHandle(writer);
    EXPECT_EQ(Open(path), STREAM_OPENED);
}

TEST_F(OpenStream, BadArgumentsAreRefusedSafely) {
    const std::string path = WriteTestFile(folder, "any.map", "x\n");
    EXPECT_EQ(OpenTextStream(nullptr, record, 2048, path.c_str(), 517), STREAM_REFUSED);
    for (int32_t capacity : {0, -1}) {
        EXPECT_EQ(Open(path, capacity), STREAM_REFUSED) << capacity;
        EXPECT_EQ(stream.FILEHANDLE, 0);
    }
    EXPECT_EQ(OpenTextStream(&stream, record, 2048, nullptr, 0), STREAM_NOT_FOUND);
    stream = StreamIn(STREAM_MODE_WRITE);
    EXPECT_EQ(OpenTextStream(&stream, record, 2048, nullptr, 0), STREAM_NOT_CREATED);
    stream = StreamIn(STREAM_MODE_READ);
    EXPECT_EQ(Open(path, 1), STREAM_OPENED);
    EXPECT_EQ(stream.MAXIMUMTRECORDINDEX, 0);
}

TEST_F(OpenStream, WritingCreatesOrEmptiesWithoutAskingWhenThereIsNothingToLose) {
    const std::string missing = folder.path + "new.out";
    const std::string empty = WriteTestFile(folder, "empty.out", "");
    for (const std::string& path : {missing, empty}) {
        stream = StreamIn(STREAM_MODE_WRITE);
        stream.FILESIZETOPROCESSINBYTES = 55;
        bool asked = true;
        EXPECT_EQ(OpenWithoutQuestion(path, &asked), STREAM_OPENED) << path;
        EXPECT_FALSE(asked) << path;
        EXPECT_EQ(stream.FILESIZETOPROCESSINBYTES, 0);
        EXPECT_EQ(stream.MAXIMUMTRECORDINDEX, 2047);
        // Writing shares nothing.
        HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(reader, INVALID_HANDLE_VALUE) << path;
        if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
        CloseIfOpen(&stream);
        EXPECT_EQ(ReadTestFile(path), "") << path;
        EXPECT_NE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_ARCHIVE, 0u) << path;
    }
}

TEST_F(OpenStream, WritingADirectoryGives4WithoutAsking) {
    const std::string path = folder.path + "sub";
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    stream = StreamIn(STREAM_MODE_WRITE);
    bool asked = true;
    EXPECT_EQ(OpenWithoutQuestion(path, &asked), STREAM_NOT_CREATED);
    EXPECT_FALSE(asked);
    EXPECT_EQ(stream.FILEHANDLE, 0);
}

// What the question box shows besides its text, read while it is open.
struct QuestionLook {
    HWND window = nullptr;
    int defaultStyle = 0;  // the button drawn as the default
    int focused = 0;
    bool questionIcon = false;
    bool yes = false, no = false, ok = false, cancel = false;
    HANDLE thread = nullptr;
};

BOOL CALLBACK FindQuestionIcon(HWND child, LPARAM parameter) {
    QuestionLook* look = reinterpret_cast<QuestionLook*>(parameter);
    char name[32];
    GetClassNameA(child, name, sizeof name);
    const HICON icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    if (strcmp(name, "Static") == 0 && icon != nullptr && icon == LoadIconA(nullptr, IDI_QUESTION)) {
        look->questionIcon = true;
    }
    return TRUE;
}

DWORD WINAPI LookAtQuestion(void* parameter) {
    QuestionLook* look = static_cast<QuestionLook*>(parameter);
    for (int waited = 0; waited < 10000 && look->window == nullptr; waited += 5) {
        HWND window = FindWindowA("#32770", QUESTION_TITLE);
        if (window != nullptr && IsWindowVisible(window)) look->window = window;
        else Sleep(5);
    }
    if (look->window == nullptr) return 0;
    // The default button carries the default style and has the focus.
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(GetWindowThreadProcessId(look->window, nullptr), &gui);
    for (int id : {IDYES, IDNO}) {
        HWND button = GetDlgItem(look->window, id);
        if ((GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) look->defaultStyle = id;
        if (button != nullptr && button == gui.hwndFocus) look->focused = id;
    }
    EnumChildWindows(look->window, FindQuestionIcon, reinterpret_cast<LPARAM>(look));
    look->yes = GetDlgItem(look->window, IDYES) != nullptr;
    look->no = GetDlgItem(look->window, IDNO) != nullptr;
    look->ok = GetDlgItem(look->window, IDOK) != nullptr;
    look->cancel = GetDlgItem(look->window, IDCANCEL) != nullptr;
    return 0;
}

TEST_F(OpenStream, NonEmptyFileIsKeptWhenTheAnswerIsNo) {
    const std::string bytes("keep\r\nme\0\xff", 10);
    const std::string path = WriteTestFile(folder, "keep.out", bytes);
    stream = StreamIn(STREAM_MODE_WRITE);
    QuestionLook look;
    look.thread = CreateThread(nullptr, 0, LookAtQuestion, &look, 0, nullptr);
    RobotTask robot;
    RobotInit(&robot, QUESTION_TITLE, ROBOT_PRESS);
    robot.button = IDNO;
    RobotStart(&robot);
    EXPECT_EQ(Open(path), STREAM_KEPT);
    ASSERT_TRUE(RobotFinish(&robot));
    WaitForSingleObject(look.thread, INFINITE);
    CloseHandle(look.thread);

    EXPECT_EQ(std::string(robot.text), "\"" + path + QUESTION_END);
    EXPECT_EQ(look.defaultStyle, IDNO);
    EXPECT_EQ(look.focused, IDNO);
    EXPECT_TRUE(look.questionIcon);
    EXPECT_TRUE(look.yes && look.no);
    EXPECT_FALSE(look.ok || look.cancel);
    EXPECT_EQ(stream.FILEHANDLE, 0);
    EXPECT_EQ(ReadTestFile(path), bytes);
}

TEST_F(OpenStream, NonEmptyFileIsEmptiedWhenTheAnswerIsYes) {
    const std::string path = WriteTestFile(folder, "over.out", "x");
    stream = StreamIn(STREAM_MODE_WRITE);
    stream.FILESIZETOPROCESSINBYTES = 9;
    RobotTask robot;
    RobotInit(&robot, QUESTION_TITLE, ROBOT_PRESS);
    robot.button = IDYES;
    RobotStart(&robot);
    EXPECT_EQ(Open(path), STREAM_OPENED);
    ASSERT_TRUE(RobotFinish(&robot));
    EXPECT_EQ(std::string(robot.text), "\"" + path + QUESTION_END);
    EXPECT_NE(stream.FILEHANDLE, 0);
    EXPECT_EQ(stream.FILESIZETOPROCESSINBYTES, 0);
    CloseIfOpen(&stream);
    EXPECT_EQ(ReadTestFile(path), "");
}

// Every way out releases the directory-entry block and the search.
TEST_F(OpenStream, ReleasesWhatItTakesOnEveryWayOut) {
    const std::string good = WriteTestFile(folder, "good.map", "x\n");
    const std::string empty = WriteTestFile(folder, "empty.map", "");
    const std::string missing = folder.path + "missing.map";
    const size_t before = BusyHeapBytes();
    for (int i = 0; i < 400; ++i) {
        stream = StreamIn(STREAM_MODE_READ);
        EXPECT_EQ(Open(missing), STREAM_NOT_FOUND);
        EXPECT_EQ(Open(empty), STREAM_EMPTY);
        EXPECT_EQ(Open(folder.path), STREAM_NOT_FOUND);  // a trailing backslash names no entry
        EXPECT_EQ(Open(good), STREAM_OPENED);
        EXPECT_EQ(Open(good), STREAM_REFUSED);
        CloseIfOpen(&stream);
    }
    const size_t after = BusyHeapBytes();
    // 2000 lost blocks would be over half a megabyte.
    EXPECT_LT(after, before + 64 * 1024) << before << " -> " << after;
}

}  // namespace
