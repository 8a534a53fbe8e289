// Reading an opened stream to its end under a small progress window.
#pragma once

#include "record_assembly.h"
#include "text_stream.h"

#include <stdint.h>

// Size of the plug-in-wide read buffer; each read asks for one byte less.
enum : int32_t { STREAM_READ_BUFFER_SIZE = 8192, STREAM_CHUNK_SIZE = STREAM_READ_BUFFER_SIZE - 1 };

// Reads the stream that OpenTextStream opened for reading, one chunk per
// 10 ms tick of the progress window's timer, while the thread's other
// windows are served. Every byte goes to perCharacter and every line
// record, assembled in record, to perRecord; recordCapacity is handed on
// to both. Returns with the file closed and the window gone, when the
// file is finished, a callback answered 1, a line was too long, or the
// window was closed from outside. A quit message that arrives meanwhile
// ends the reading and is posted again for the caller's loop.
void ProcessTextStream(TextFileStream* stream, int32_t recordCapacity, StreamCallback perCharacter,
                       StreamCallback perRecord, char* record);
