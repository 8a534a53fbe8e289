#include "process_stream.h"

#include "progress_window.h"

#include <windows.h>

#include <stdint.h>

// Plug-in-wide: a reading uses it only while it handles one chunk.
static char ReadBuffer[STREAM_READ_BUFFER_SIZE];

struct StreamReading {
    ChunkAssembly assembly;
    ProgressWindow progress;
};

static HANDLE FieldToHandle(int32_t field) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(field)); }

// One chunk. The end of the file and a failed read end the reading alike.
static void ReadChunk(ChunkAssembly* assembly) {
    DWORD count = 0;
    if (!ReadFile(FieldToHandle(assembly->stream->FILEHANDLE), ReadBuffer, STREAM_CHUNK_SIZE, &count, nullptr) ||
        count == 0) {
        assembly->stopWord = 1;
        return;
    }
    AssembleChunk(assembly, ReadBuffer, static_cast<int32_t>(count));
}

// The bar is set once per chunk: nothing is painted while a chunk runs.
static bool Tick(void* context) {
    StreamReading* reading = static_cast<StreamReading*>(context);
    ChunkAssembly* assembly = &reading->assembly;
    ReadChunk(assembly);
    if (assembly->stopWord != 0) assembly->progress = 100;
    ShowProgress(&reading->progress, assembly->progress);
    return assembly->stopWord != 0;
}

void ProcessTextStream(TextFileStream* stream, int32_t recordCapacity, StreamCallback perCharacter,
                       StreamCallback perRecord, char* record) {
    StreamReading reading;
    StartAssembly(&reading.assembly, stream, recordCapacity, perCharacter, perRecord, record);
    if (OpenProgressWindow(&reading.progress, Tick, &reading)) {
        RunProgressLoop(&reading.progress);
    } else {
        // Without a window to pace it the file is still read, straight through.
        while (!Tick(&reading)) {
        }
    }
    FinishAssembly(&reading.assembly);
    if (stream->FILEHANDLE != 0) CloseHandle(FieldToHandle(stream->FILEHANDLE));
    stream->FILEHANDLE = 0;
    CloseProgressWindow(&reading.progress);
}
