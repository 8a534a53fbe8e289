// The assembly of line records from the bytes of one chunk: every byte
// goes to the per-character callback, carriage returns are dropped, a line
// feed ends the record, and every record goes to the per-record callback.
// Portable, so that it can be tested and fuzzed away from Windows.
#pragma once

#include "text_stream.h"

#include <stdint.h>

// Both callbacks of the reading loop; 0 means go on, 1 stops the reading.
typedef int32_t (*StreamCallback)(TextFileStream* stream, int32_t recordCapacity, char* record);

// The loop state of one reading of a stream.
struct ChunkAssembly {
    TextFileStream* stream;
    int32_t recordCapacity;     // handed on to the callbacks; also bounds record
    StreamCallback perCharacter;
    StreamCallback perRecord;
    char* record;               // the caller's record buffer
    int32_t stopWord;           // 0: go on; else the reason the reading ends
    int32_t progress;           // percentage of the file delivered, 0 to 100
};

// Starts a reading: stop word and progress at 0. A null callback counts
// as one that always answers 0.
void StartAssembly(ChunkAssembly* assembly, TextFileStream* stream, int32_t recordCapacity,
                   StreamCallback perCharacter, StreamCallback perRecord, char* record);

// Handles count bytes, first to last, until the stop word is exactly 1.
void AssembleChunk(ChunkAssembly* assembly, const char* bytes, int32_t count);

// Terminates the record collected so far and delivers it.
void EndRecord(ChunkAssembly* assembly);

// Delivers the record still being collected when the reading has ended,
// if it holds any characters.
void FinishAssembly(ChunkAssembly* assembly);

// processed * 100 / total without overflow, fraction dropped, at most 100;
// 100 when total is 0.
int32_t ProgressPercent(uint32_t processed, uint32_t total);
