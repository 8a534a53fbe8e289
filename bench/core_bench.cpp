// Throughput of the portable core on generated MAP lines, with a host
// that takes every label and does nothing with it: the record assembly of
// whole chunks with the real handlers behind it, and the record handler
// on its own.
#include "bench/map_generator.h"
#include "host/host_services.h"
#include "mapload/map_handlers.h"
#include "stream/record_assembly.h"

#include <benchmark/benchmark.h>

#include <string.h>

#include <algorithm>

#include <string>
#include <vector>

extern "C" int32_t HOST_CALL _Insertname(uint32_t address, int32_t, const char* name) {
    benchmark::DoNotOptimize(address);
    benchmark::DoNotOptimize(name);
    return 0;
}

namespace {

enum : int32_t { CHUNK = 8191, RECORD_CAPACITY = 2048 };

const std::string& MapText() {
    static std::string text;
    if (text.empty()) GenerateMapText(&text, 8 << 20, 1);
    return text;
}

// The Run command's two adapters, as the plug-in has them.
int32_t ToRecordHandler(TextFileStream* stream, int32_t, char* record) {
    return MAPFilePerRecordHandler(stream->CURRENTRECORDINDEX, record);
}

int32_t ToCharacterHandler(TextFileStream* stream, int32_t, char*) {
    return MAPFilePerCharacterHandler(2, stream->PREVIOUSCHARACTERSZ, 2, stream->CURRENTCHARACTERSZ);
}

void ChunkAssemblyWithHandlers(benchmark::State& state) {
    const std::string& text = MapText();
    static char record[RECORD_CAPACITY];
    TextFileStream stream;
    size_t offset = 0;
    ChunkAssembly assembly;
    for (auto _ : state) {
        if (offset == 0) {
            InitTextStream(&stream);
            stream.COLLECTASUPPER = 1;
            stream.MAXIMUMTRECORDINDEX = RECORD_CAPACITY - 1;
            stream.FILESIZETOPROCESSINBYTES = static_cast<int32_t>(text.size());
            StartAssembly(&assembly, &stream, RECORD_CAPACITY, ToCharacterHandler, ToRecordHandler, record);
        }
        const size_t count = std::min(text.size() - offset, static_cast<size_t>(CHUNK));
        AssembleChunk(&assembly, text.data() + offset, static_cast<int32_t>(count));
        offset = (offset + count) % text.size();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * CHUNK);
}
BENCHMARK(ChunkAssemblyWithHandlers)->Unit(benchmark::kMicrosecond);

void RecordHandler(benchmark::State& state) {
    // The records as the reading loop delivers them: upper-cased, no line end.
    std::vector<std::string> records;
    const std::string& text = MapText();
    for (size_t start = 0; start < text.size() && records.size() < 100000;) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        for (char& c : line) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
        records.push_back(line);
        start = end + 1;
    }
    size_t next = 0;
    for (auto _ : state) {
        const std::string& line = records[next];
        benchmark::DoNotOptimize(MAPFilePerRecordHandler(static_cast<int32_t>(line.size()), line.c_str()));
        next = next + 1 == records.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(RecordHandler);

}  // namespace

BENCHMARK_MAIN();
