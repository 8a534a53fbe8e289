#include "dialogs/file_dialog.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

const char RUN_FILTER[] = "MAP Files *.map|*.map|AllFiles *.*|*.*";
const char RUN_TITLE[] = "Select MAP File";

TEST(FileDialogDescription, OldFormSizeOnEachPlatform) {
#if defined(_WIN64)
    EXPECT_EQ(FILE_DIALOG_DESCRIPTION_SIZE, 136u);
#else
    EXPECT_EQ(FILE_DIALOG_DESCRIPTION_SIZE, 76u);
#endif
    // The old form stops where the three later fields begin.
    EXPECT_EQ(FILE_DIALOG_DESCRIPTION_SIZE, offsetof(OPENFILENAMEA, pvReserved));
}

TEST(FileDialogDescription, RunsStartPathFillsEveryFieldAndLeavesTheRestZero) {
    FileDialogWork work;
    memset(&work, 0x5A, sizeof work);
    HWND owner = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x10086));
    PrepareFileDialog(&work, RUN_TITLE, "C:\\Work\\\\*.map", owner, 18, RUN_FILTER);

    const OPENFILENAMEA& d = work.dialog;
    EXPECT_EQ(d.lStructSize, FILE_DIALOG_DESCRIPTION_SIZE);
    EXPECT_EQ(d.hwndOwner, owner);
    EXPECT_EQ(d.lpstrTitle, RUN_TITLE);
    EXPECT_EQ(d.lpstrFilter, work.filter);
    EXPECT_EQ(d.nFilterIndex, 2u);
    EXPECT_EQ(d.lpstrFile, work.file);
    EXPECT_EQ(d.nMaxFile, 517u);
    EXPECT_EQ(d.lpstrFileTitle, work.name);
    EXPECT_EQ(d.nMaxFileTitle, 257u);
    EXPECT_EQ(d.lpstrInitialDir, work.folder);
    EXPECT_EQ(d.Flags, 0x0220400Cu);
    EXPECT_STREQ(work.folder, "C:\\Work\\");
    EXPECT_STREQ(work.name, "*.map");
    EXPECT_STREQ(work.file, "C:\\Work\\*.map");

    // Every other byte of the description is zero: no instance, custom
    // filter, default extension, hook, template or later fields.
    OPENFILENAMEA expected;
    memset(&expected, 0, sizeof expected);
    expected.lStructSize = d.lStructSize;
    expected.hwndOwner = d.hwndOwner;
    expected.lpstrTitle = d.lpstrTitle;
    expected.lpstrFilter = d.lpstrFilter;
    expected.nFilterIndex = d.nFilterIndex;
    expected.lpstrFile = d.lpstrFile;
    expected.nMaxFile = d.nMaxFile;
    expected.lpstrFileTitle = d.lpstrFileTitle;
    expected.nMaxFileTitle = d.nMaxFileTitle;
    expected.lpstrInitialDir = d.lpstrInitialDir;
    expected.Flags = d.Flags;
    EXPECT_EQ(memcmp(&expected, &d, sizeof d), 0);
}

struct StartCase {
    const char* path;
    const char* folder;
    const char* name;
    const char* file;
};

class StartPathCases : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartPathCases, SplitsAtTheLastBackslash) {
    const StartCase& c = GetParam();
    FileDialogWork work;
    PrepareFileDialog(&work, RUN_TITLE, c.path, nullptr, 18, RUN_FILTER);
    EXPECT_STREQ(work.folder, c.folder);
    EXPECT_STREQ(work.name, c.name);
    EXPECT_STREQ(work.file, c.file);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StartPathCases,
    ::testing::Values(
        StartCase{"C:\\Work\\\\*.map", "C:\\Work\\", "*.map", "C:\\Work\\*.map"},
        StartCase{"C:\\Work\\*.map", "C:\\Work", "*.map", "C:\\Work*.map"},  // joined without separator
        StartCase{"report.map", "", "*.*", "*.*"},
        StartCase{"", "", "*.*", "*.*"},
        StartCase{nullptr, "", "*.*", "*.*"},
        StartCase{"C:\\Work\\", "C:\\Work", "", "C:\\Work"},
        StartCase{"\\*.map", "", "*.map", "*.map"},
        StartCase{"C:\\Work\\ \\ *.map", "C:\\Work\\", "*.map", "C:\\Work\\*.map"},
        StartCase{"\t C:\\Work\\\t\\*.map \t", "C:\\Work\\", "*.map", "C:\\Work\\*.map"}));

struct FilterCase {
    const char* filter;
    DWORD index;
    const char* list;  // expected list
    size_t listSize;   // its bytes, both closing NULs included
};

class FilterCases : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FilterCases, BecomesTheDialogsListAndIndex) {
    const FilterCase& c = GetParam();
    FileDialogWork work;
    memset(&work, 0x5A, sizeof work);
    PrepareFileDialog(&work, RUN_TITLE, "C:\\Work\\\\*.map", nullptr, 18, c.filter);
    EXPECT_EQ(work.dialog.nFilterIndex, c.index);
    EXPECT_EQ(memcmp(work.filter, c.list, c.listSize), 0);
}

#define LIST(text) text, sizeof text
INSTANTIATE_TEST_SUITE_P(
    Table, FilterCases,
    ::testing::Values(
        FilterCase{RUN_FILTER, 2, LIST("MAP Files *.map\0*.map\0AllFiles *.*\0*.*\0")},
        FilterCase{"Text|*.txt", 1, LIST("Text\0*.txt\0")},
        FilterCase{"A|*.a|B|*.b|C|*.c", 3, LIST("A\0*.a\0B\0*.b\0C\0*.c\0")},
        FilterCase{"A|B|C", 1, LIST("A\0B\0C\0")},
        FilterCase{"", 0, LIST("\0")},
        FilterCase{nullptr, 0, LIST("\0")}));
#undef LIST

struct FlagsCase {
    uint32_t flags;
    DWORD options;
};

class FlagsCases : public ::testing::TestWithParam<FlagsCase> {};

TEST_P(FlagsCases, MapOntoTheOptionBits) {
    FileDialogWork work;
    PrepareFileDialog(&work, RUN_TITLE, "C:\\Work\\\\*.map", nullptr, GetParam().flags, RUN_FILTER);
    EXPECT_EQ(work.dialog.Flags, GetParam().options);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FlagsCases,
    ::testing::Values(FlagsCase{0, 0x02205804},   // must-exist checks
                      FlagsCase{1, 0x02204004},   // save: no must-exist checks
                      FlagsCase{2, 0x0220400C},
                      FlagsCase{4, 0x02205804},
                      FlagsCase{8, 0x02204204},
                      FlagsCase{16, 0x02204004},
                      FlagsCase{18, 0x0220400C},
                      FlagsCase{31, 0x02205A0C}));

// Oversized start paths are cut to the work buffers, blanks dropped first.
struct OversizeCase {
    size_t leadingBlanks;
    size_t folderLength;
    size_t nameLength;
    size_t folderKept;
    size_t nameKept;
};

class OversizeCases : public ::testing::TestWithParam<OversizeCase> {};

TEST_P(OversizeCases, PartsAreCutToTheirBuffers) {
    const OversizeCase& c = GetParam();
    const std::string path = std::string(c.leadingBlanks, ' ') + std::string(c.folderLength, 'f') + "\\" +
                             std::string(c.nameLength, 'n');
    FileDialogWork work;
    memset(&work, 0x5A, sizeof work);
    PrepareFileDialog(&work, RUN_TITLE, path.c_str(), nullptr, 18, RUN_FILTER);
    EXPECT_EQ(std::string(work.folder), std::string(c.folderKept, 'f'));
    EXPECT_EQ(std::string(work.name), std::string(c.nameKept, 'n'));
    EXPECT_EQ(std::string(work.file), std::string(c.folderKept, 'f') + std::string(c.nameKept, 'n'));
    // The buffers after them still hold what they should.
    EXPECT_EQ(memcmp(work.filter, "MAP Files *.map\0", 16), 0);
    EXPECT_EQ(work.dialog.lStructSize, FILE_DIALOG_DESCRIPTION_SIZE);
}

INSTANTIATE_TEST_SUITE_P(Table, OversizeCases,
                         ::testing::Values(OversizeCase{0, 260, 256, 260, 256},
                                           OversizeCase{0, 261, 257, 260, 256},
                                           OversizeCase{0, 600, 600, 260, 256},
                                           OversizeCase{40, 260, 3, 260, 3}));

TEST(FileDialogDescription, LongFilterIsCutTo511CharactersWithBothNuls) {
    struct {
        size_t length;
        size_t kept;
    } cases[] = {{511, 511}, {512, 511}, {2000, 511}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        std::string filter(c.length, 'p');
        filter[0] = 'D';
        filter[1] = '|';
        FileDialogWork work;
        memset(&work, 0x5A, sizeof work);
        PrepareFileDialog(&work, RUN_TITLE, "C:\\Work\\\\*.map", nullptr, 18, filter.c_str());
        EXPECT_EQ(work.filter[0], 'D');
        EXPECT_EQ(work.filter[1], '\0');
        EXPECT_EQ(strlen(work.filter + 2), c.kept - 2);
        EXPECT_EQ(work.filter[c.kept], '\0');
        EXPECT_EQ(work.filter[c.kept + 1], '\0');
        EXPECT_EQ(work.dialog.nFilterIndex, 1u);
        EXPECT_EQ(work.dialog.lStructSize, FILE_DIALOG_DESCRIPTION_SIZE);
    }
}

}  // namespace
