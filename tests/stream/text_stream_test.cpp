#include "stream/text_stream.h"

#include <gtest/gtest.h>

#include <stddef.h>
#include <string.h>

namespace {

// The callbacks may read every field, so order and widths are fixed.
static_assert(offsetof(TextFileStream, MODE) == 0, "MODE");
static_assert(offsetof(TextFileStream, COLLECTASUPPER) == 4, "COLLECTASUPPER");
static_assert(offsetof(TextFileStream, FILEHANDLE) == 8, "FILEHANDLE");
static_assert(offsetof(TextFileStream, FILESIZETOPROCESSINBYTES) == 12, "FILESIZETOPROCESSINBYTES");
static_assert(offsetof(TextFileStream, FILESIZEPROCESSEDINBYTES) == 16, "FILESIZEPROCESSEDINBYTES");
static_assert(offsetof(TextFileStream, PREVIOUSCHARACTERSZ) == 20, "PREVIOUSCHARACTERSZ");
static_assert(offsetof(TextFileStream, CURRENTCHARACTERSZ) == 22, "CURRENTCHARACTERSZ");
static_assert(offsetof(TextFileStream, CURRENTRECORDINDEX) == 24, "CURRENTRECORDINDEX");
static_assert(offsetof(TextFileStream, MAXIMUMTRECORDINDEX) == 28, "MAXIMUMTRECORDINDEX");
static_assert(offsetof(TextFileStream, COJOINEDFILEHANDLE) == 32, "COJOINEDFILEHANDLE");
static_assert(offsetof(TextFileStream, LINENUMBER) == 36, "LINENUMBER");
static_assert(sizeof(TextFileStream) == 40, "eleven fields and nothing else");

TEST(TextStream, StartsClosedWithASpaceInEachCharacterField) {
    TextFileStream stream;
    memset(&stream, 0xA5, sizeof stream);
    InitTextStream(&stream);
    const int32_t numbers[] = {stream.MODE, stream.COLLECTASUPPER, stream.FILEHANDLE,
                               stream.FILESIZETOPROCESSINBYTES, stream.FILESIZEPROCESSEDINBYTES,
                               stream.CURRENTRECORDINDEX, stream.MAXIMUMTRECORDINDEX,
                               stream.COJOINEDFILEHANDLE, stream.LINENUMBER};
    for (int32_t number : numbers) EXPECT_EQ(number, 0);
    EXPECT_EQ(memcmp(stream.PREVIOUSCHARACTERSZ, " ", 2), 0);
    EXPECT_EQ(memcmp(stream.CURRENTCHARACTERSZ, " ", 2), 0);
}

TEST(TextStream, ModesAreTheGenericAccessRights) {
    EXPECT_EQ(static_cast<uint32_t>(STREAM_MODE_READ), 0x80000000u);
    EXPECT_EQ(static_cast<uint32_t>(STREAM_MODE_WRITE), 0x40000000u);
}

}  // namespace
