#include "record_assembly.h"

#include "strutil/strutil.h"

enum : char { CARRIAGE_RETURN = '\r', LINE_FEED = '\n' };

static int32_t Call(StreamCallback callback, ChunkAssembly* assembly) {
    if (callback == nullptr) return 0;
    return callback(assembly->stream, assembly->recordCapacity, assembly->record);
}

// The last position a record's terminator may take. Both the capacity
// given at opening and the one given now describe the same buffer; the
// smaller one is the safe bound if they disagree. -1: no room at all.
static int32_t RecordLimit(const ChunkAssembly* assembly) {
    if (assembly->record == nullptr) return -1;
    int32_t limit = assembly->stream->MAXIMUMTRECORDINDEX;
    if (assembly->recordCapacity - 1 < limit) limit = assembly->recordCapacity - 1;
    return limit < 0 ? -1 : limit;
}

// Counters wrap like the 32-bit fields they are, without signed overflow.
static int32_t AddWrapping(int32_t value, int32_t amount) {
    return static_cast<int32_t>(static_cast<uint32_t>(value) + static_cast<uint32_t>(amount));
}

static void Append(ChunkAssembly* assembly, char c) {
    TextFileStream* stream = assembly->stream;
    const int32_t index = stream->CURRENTRECORDINDEX;
    if (index < 0 || index >= RecordLimit(assembly)) {
        assembly->stopWord = 1;  // the record is full: the reading ends
        return;
    }
    assembly->record[index] = c;
    stream->CURRENTRECORDINDEX = index + 1;
}

static void TakeCharacter(ChunkAssembly* assembly) {
    TextFileStream* stream = assembly->stream;
    const char c = stream->CURRENTCHARACTERSZ[0];
    if (c == CARRIAGE_RETURN) return;
    if (c == LINE_FEED) {
        EndRecord(assembly);
        return;
    }
    if (stream->COLLECTASUPPER == 1) stream->CURRENTCHARACTERSZ[0] = UpperAscii(c);
    Append(assembly, stream->CURRENTCHARACTERSZ[0]);
}

void StartAssembly(ChunkAssembly* assembly, TextFileStream* stream, int32_t recordCapacity,
                   StreamCallback perCharacter, StreamCallback perRecord, char* record) {
    assembly->stream = stream;
    assembly->recordCapacity = recordCapacity;
    assembly->perCharacter = perCharacter;
    assembly->perRecord = perRecord;
    assembly->record = record;
    assembly->stopWord = 0;
    assembly->progress = 0;
}

void AssembleChunk(ChunkAssembly* assembly, const char* bytes, int32_t count) {
    TextFileStream* stream = assembly->stream;
    for (int32_t i = 0; i < count; ++i) {
        stream->PREVIOUSCHARACTERSZ[0] = stream->CURRENTCHARACTERSZ[0];
        stream->PREVIOUSCHARACTERSZ[1] = '\0';
        stream->CURRENTCHARACTERSZ[0] = bytes[i];
        stream->CURRENTCHARACTERSZ[1] = '\0';
        assembly->stopWord = Call(assembly->perCharacter, assembly);
        // The callback may rewrite the field; it stays a one-character text.
        stream->CURRENTCHARACTERSZ[1] = '\0';
        if (assembly->stopWord == 0) TakeCharacter(assembly);
        if (assembly->stopWord == 1) return;
    }
}

void EndRecord(ChunkAssembly* assembly) {
    TextFileStream* stream = assembly->stream;
    stream->CURRENTCHARACTERSZ[0] = '\0';
    stream->CURRENTCHARACTERSZ[1] = '\0';
    // A callback may have moved the index; the terminator stays inside.
    const int32_t limit = RecordLimit(assembly);
    int32_t index = stream->CURRENTRECORDINDEX;
    if (index > limit) index = limit;
    if (index < 0) index = 0;
    stream->CURRENTRECORDINDEX = index;
    if (limit >= 0) assembly->record[index] = '\0';

    stream->LINENUMBER = AddWrapping(stream->LINENUMBER, 1);
    assembly->stopWord = Call(assembly->perRecord, assembly);
    stream->FILESIZEPROCESSEDINBYTES = AddWrapping(stream->FILESIZEPROCESSEDINBYTES, stream->CURRENTRECORDINDEX);
    assembly->progress = ProgressPercent(static_cast<uint32_t>(stream->FILESIZEPROCESSEDINBYTES),
                                         static_cast<uint32_t>(stream->FILESIZETOPROCESSINBYTES));
    stream->CURRENTRECORDINDEX = 0;
}

void FinishAssembly(ChunkAssembly* assembly) {
    if (assembly->stream->CURRENTRECORDINDEX > 0) EndRecord(assembly);
}

int32_t ProgressPercent(uint32_t processed, uint32_t total) {
    if (total == 0) return 100;
    const uint64_t percent = static_cast<uint64_t>(processed) * 100u / total;
    return percent > 100 ? 100 : static_cast<int32_t>(percent);
}
