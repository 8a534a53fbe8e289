// The version information of the three shipped programs in dist/, read
// back as Windows' file properties read it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Shipped {
    const char* file;
    const char* description;
    DWORD type;
};

const Shipped SHIPPED[] = {
    {"Vorlane.dll", "Vorlane: user labels from MAP files for OllyDbg 1.10", VFT_DLL},
    {"Quessel.dll", "Quessel: MAP line handlers for code in the debugger's process", VFT_DLL},
    {"vorlane-map.exe", "vorlane-map: linker maps to the lines Vorlane loads", VFT_APP},
};

std::string DistPath(const char* file) {
    std::string path = std::string("Z:") + VORLANE_DIST_DIR + "/" + file;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

std::string StringValue(const std::vector<char>& block, const char* name) {
    char query[128];
    snprintf(query, sizeof query, "\\StringFileInfo\\040904E4\\%s", name);
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), query, &value, &length) || value == nullptr) return "(none)";
    return std::string(static_cast<const char*>(value));
}

TEST(ReleaseVersionInfo, EveryShippedFileSaysWhatItIsAndItsVersion) {
    for (const Shipped& shipped : SHIPPED) {
        SCOPED_TRACE(shipped.file);
        const std::string path = DistPath(shipped.file);
        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
        ASSERT_GT(size, 0u) << path << ": error " << GetLastError();
        std::vector<char> block(size);
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
        EXPECT_EQ(fixed->dwFileVersionLS, 0u);
        EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
        EXPECT_EQ(fixed->dwProductVersionLS, 0u);
        EXPECT_EQ(fixed->dwFileType, shipped.type);

        EXPECT_EQ(StringValue(block, "FileVersion"), "1.0.0.0");
        EXPECT_EQ(StringValue(block, "ProductVersion"), "1.0.0.0");
        EXPECT_EQ(StringValue(block, "ProductName"), "Vorlane");
        EXPECT_EQ(StringValue(block, "FileDescription"), shipped.description);
        EXPECT_EQ(StringValue(block, "OriginalFilename"), shipped.file);
    }
}

}  // namespace
