// How long one chunk takes to assemble: the user interface waits for it,
// so it must stay far below the 10 ms between two ticks.
#include "stream/record_assembly.h"

#include <benchmark/benchmark.h>

#include <stdint.h>
#include <stdio.h>

#include <string>

namespace {

int32_t CountRecord(TextFileStream*, int32_t, char*) { return 0; }
int32_t PassCharacter(TextFileStream*, int32_t, char*) { return 0; }

// A chunk of MAP-like lines: address, blank, name.
std::string MapChunk() {
    std::string bytes;
    char line[64];
    for (int i = 0; bytes.size() < 8191; ++i) {
        snprintf(line, sizeof line, "%08X  _symbol_name_%d\r\n", 0x401000 + i * 16, i);
        bytes += line;
    }
    bytes.resize(8191);
    return bytes;
}

void AssembleOneChunk(benchmark::State& state) {
    const std::string chunk = MapChunk();
    static char record[2048];
    TextFileStream stream;
    InitTextStream(&stream);
    stream.COLLECTASUPPER = 1;
    stream.MAXIMUMTRECORDINDEX = 2047;
    stream.FILESIZETOPROCESSINBYTES = 1 << 30;
    ChunkAssembly assembly;
    for (auto _ : state) {
        stream.CURRENTRECORDINDEX = 0;
        StartAssembly(&assembly, &stream, 2048, PassCharacter, CountRecord, record);
        AssembleChunk(&assembly, chunk.data(), static_cast<int32_t>(chunk.size()));
        benchmark::DoNotOptimize(stream.LINENUMBER);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(chunk.size()));
}
BENCHMARK(AssembleOneChunk)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
