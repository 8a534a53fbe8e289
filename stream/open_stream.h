// Opening a text file on a stream record, for reading or for writing.
#pragma once

#include "text_stream.h"

#include <stdint.h>

// Results of OpenTextStream, in the order its checks are made.
enum : int32_t {
    STREAM_OPENED = 0,
    STREAM_REFUSED = 1,      // a file is open on the record, or a bad argument
    STREAM_NOT_FOUND = 2,    // reading: no such entry, or it cannot be opened
    STREAM_KEPT = 3,         // writing: the user would not overwrite the file
    STREAM_NOT_CREATED = 4,  // writing: the file cannot be created
    STREAM_TOO_LARGE = 5,    // reading: 4 GiB or more
    STREAM_EMPTY = 6         // reading: 0 bytes
};

// Opens path on stream in stream->MODE. record is the buffer that the
// reading will fill and recordCapacity its size, terminator included (at
// least 1); opening only records the capacity. pathCapacity is not used.
// Writing asks before it empties a file that holds anything.
int32_t OpenTextStream(TextFileStream* stream, char* record, int32_t recordCapacity,
                       const char* path, int32_t pathCapacity);
