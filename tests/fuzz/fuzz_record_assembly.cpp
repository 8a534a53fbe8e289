// The assembly of line records from a byte stream cut into chunks, with
// the MAP character handler as the per-character callback, as the Run
// command wires it. Whatever the cuts, the callbacks must see the same
// bytes and records as when the stream comes in one piece, and both must
// match a plain model of the line rules; no record exceeds 2047 characters.
//
// Input: byte 0 holds the number of chunk sizes (low three bits, plus one)
// and the case mode (bit 7 set: collect unchanged); then two bytes per
// chunk size, used in turn; then the stream.
#include "fuzz_check.h"

#include "host/host_services.h"
#include "mapload/map_handlers.h"
#include "stream/record_assembly.h"
#include "stream/text_stream.h"

#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

enum : int32_t { RECORD_CAPACITY = 2048, LONGEST_RECORD = RECORD_CAPACITY - 1, LARGEST_CHUNK = 8191 };

// What the callbacks saw during one reading.
struct Seen {
    std::string characters;  // every byte offered, in order
    std::string previous;    // the previous-character field at each byte
    std::vector<std::string> records;
    int32_t lineNumber;
    int32_t processed;
    int32_t progress;
    bool operator==(const Seen& o) const {
        return characters == o.characters && previous == o.previous && records == o.records &&
               lineNumber == o.lineNumber && processed == o.processed && progress == o.progress;
    }
};

Seen* seen = nullptr;


char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

int32_t OnCharacter(TextFileStream* stream, int32_t capacity, char*) {
    FUZZ_CHECK(capacity == RECORD_CAPACITY, "the character callback got another capacity");
    FUZZ_CHECK(stream->CURRENTCHARACTERSZ[1] == '\0' && stream->PREVIOUSCHARACTERSZ[1] == '\0',
               "a character field is not a one-character text");
    seen->characters.push_back(stream->CURRENTCHARACTERSZ[0]);
    seen->previous.push_back(stream->PREVIOUSCHARACTERSZ[0]);
    return MAPFilePerCharacterHandler(2, stream->PREVIOUSCHARACTERSZ, 2, stream->CURRENTCHARACTERSZ);
}

int32_t OnRecord(TextFileStream* stream, int32_t capacity, char* record) {
    const int32_t length = stream->CURRENTRECORDINDEX;
    FUZZ_CHECK(capacity == RECORD_CAPACITY, "the record callback got another capacity");
    FUZZ_CHECK(length >= 0 && length <= LONGEST_RECORD, "record longer than 2047 characters");
    FUZZ_CHECK(record[length] == '\0', "record without its terminator");
    FUZZ_CHECK(stream->LINENUMBER == static_cast<int32_t>(seen->records.size()) + 1,
               "the line number does not count the current record");
    seen->records.emplace_back(record, static_cast<size_t>(length));
    return 0;
}

// One reading as the timed loop does it: a chunk per tick until a chunk
// stops the reading or the stream is exhausted, then the pending record.
Seen Read(const std::string& bytes, const std::vector<int32_t>& chunks, int32_t collectAsUpper) {
    Seen result = Seen();
    seen = &result;
    TextFileStream stream;
    InitTextStream(&stream);
    // The state that a successful opening leaves.
    stream.MODE = STREAM_MODE_READ;
    stream.COLLECTASUPPER = collectAsUpper;
    stream.FILEHANDLE = 1;
    stream.FILESIZETOPROCESSINBYTES = static_cast<int32_t>(bytes.size());
    stream.PREVIOUSCHARACTERSZ[0] = '\0';
    stream.CURRENTCHARACTERSZ[0] = '\0';
    stream.MAXIMUMTRECORDINDEX = LONGEST_RECORD;
    // Exactly the capacity, so that a write past it is caught.
    std::unique_ptr<char[]> record(new char[RECORD_CAPACITY]);

    ChunkAssembly assembly;
    StartAssembly(&assembly, &stream, RECORD_CAPACITY, OnCharacter, OnRecord, record.get());
    size_t at = 0;
    for (size_t turn = 0; assembly.stopWord == 0; ++turn) {
        const size_t size = std::min(static_cast<size_t>(chunks[turn % chunks.size()]), bytes.size() - at);
        if (size == 0) {
            assembly.stopWord = 1;  // a read that gives no bytes ends the reading
            break;
        }
        std::unique_ptr<char[]> chunk(new char[size]);
        memcpy(chunk.get(), bytes.data() + at, size);
        AssembleChunk(&assembly, chunk.get(), static_cast<int32_t>(size));
        at += size;
    }
    FinishAssembly(&assembly);
    result.lineNumber = stream.LINENUMBER;
    result.processed = stream.FILESIZEPROCESSEDINBYTES;
    result.progress = assembly.progress;
    seen = nullptr;
    return result;
}

// The line rules on their own: a line feed ends a record, carriage
// returns are dropped, a tab becomes a space, letters are upper-cased on
// request, and a character that does not fit ends the whole reading.
Seen Model(const std::string& bytes, int32_t collectAsUpper) {
    Seen m = Seen();
    std::string current;
    char field = '\0';
    uint32_t processed = 0;
    for (char b : bytes) {
        m.characters.push_back(b);
        m.previous.push_back(field);
        if (b == '\r') {
            field = b;
            continue;
        }
        if (b == '\n') {
            m.records.push_back(current);
            processed += static_cast<uint32_t>(current.size());
            current.clear();
            field = '\0';
            continue;
        }
        const char c = b == '\t' ? ' ' : (collectAsUpper == 1 ? Upper(b) : b);
        if (current.size() == LONGEST_RECORD) break;
        current.push_back(c);
        field = c;
    }
    if (!current.empty()) {
        m.records.push_back(current);
        processed += static_cast<uint32_t>(current.size());
    }
    m.lineNumber = static_cast<int32_t>(m.records.size());
    m.processed = static_cast<int32_t>(processed);
    if (!m.records.empty()) m.progress = static_cast<int32_t>(uint64_t{processed} * 100 / bytes.size());
    return m;
}

}  // namespace

// The record handler is linked in with the character handler but never
// called here.
extern "C" int32_t HOST_CALL _Insertname(uint32_t, int32_t, const char*) {
    FUZZ_CHECK(false, "no label is inserted while assembling records");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t count = (data[0] & 7) + 1;
    const int32_t collectAsUpper = (data[0] & 0x80) ? 2 : 1;
    std::vector<int32_t> chunks;
    size_t at = 1;
    for (; chunks.size() < count && at + 2 <= size; at += 2) {
        chunks.push_back((data[at] | (data[at + 1] << 8)) % LARGEST_CHUNK + 1);
    }
    if (chunks.empty()) chunks.push_back(LARGEST_CHUNK);
    const std::string bytes(reinterpret_cast<const char*>(data) + at, size - at);

    const Seen cut = Read(bytes, chunks, collectAsUpper);
    const Seen whole = Read(bytes, {static_cast<int32_t>(std::max<size_t>(bytes.size(), 1))}, collectAsUpper);
    FUZZ_CHECK(cut == whole, "the chunk boundaries changed what the callbacks saw");
    FUZZ_CHECK(cut == Model(bytes, collectAsUpper), "the records differ from the line rules");
    return 0;
}
