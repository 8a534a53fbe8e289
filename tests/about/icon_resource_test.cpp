// The Back button's icon as the 64-bit Vorlane.dll carries it.
#include <windows.h>

#include <gtest/gtest.h>

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width;
    BYTE height;
    BYTE colours;
    BYTE reserved;
    WORD planes;
    WORD bitsPerPixel;
    DWORD bytes;
    WORD id;
};
struct IconGroup {
    WORD reserved;
    WORD type;
    WORD count;
    IconGroupEntry entries[1];
};
#pragma pack(pop)

class IconResourceTest : public testing::Test {
protected:
    void SetUp() override {
        // As data: the DLL binds to ollydbg.exe, which this program is not.
        module = LoadLibraryExA("Vorlane.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << "Vorlane.dll not found in the working folder";
    }
    void TearDown() override {
        if (module != nullptr) FreeLibrary(module);
    }
    HMODULE module = nullptr;
};

TEST_F(IconResourceTest, OneImageOf32By32In16Colours) {
    HRSRC found = FindResourceA(module, "SHFTLEFT_ICO", MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    ASSERT_NE(found, nullptr);
    const IconGroup* group = static_cast<const IconGroup*>(LockResource(LoadResource(module, found)));
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group->count, 1);
    EXPECT_EQ(group->entries[0].width, 32);
    EXPECT_EQ(group->entries[0].height, 32);
    EXPECT_EQ(group->entries[0].colours, 16);
    EXPECT_EQ(group->entries[0].bitsPerPixel, 4);
}

TEST_F(IconResourceTest, LoadsAsAnIconByName) {
    HICON icon = static_cast<HICON>(LoadImageA(module, "SHFTLEFT_ICO", IMAGE_ICON, 32, 32, 0));
    ASSERT_NE(icon, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_TRUE(info.fIcon);
    BITMAP colour = {};
    ASSERT_TRUE(GetObjectA(info.hbmColor, sizeof colour, &colour));
    EXPECT_EQ(colour.bmWidth, 32);
    EXPECT_EQ(colour.bmHeight, 32);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
}
