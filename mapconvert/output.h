// Writing the loader's lines, and the report about them.
#pragma once

#include "mapconvert/convert.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace mapconvert {

// "AAAAAAAA NAME\n" for every line; the size in bytes.
uint64_t outputSize(const Conversion& conversion);
// Writes the lines; false on a write error.
bool writeLines(const Conversion& conversion, std::FILE* file);

// Writes the lines into a new file beside path and renames it over path
// once all is written: the target is never left half-written. The
// system's reason on failure.
std::optional<std::string> replaceFile(const std::string& path, const Conversion& conversion);

// Whether two paths name one existing file.
bool sameFile(const std::string& a, const std::string& b);

// The report block, ending in a line feed.
std::string formatReport(const Conversion& conversion, const std::string& outputName);

// The loader reads one chunk of 8191 bytes per 10 ms tick.
uint64_t loadTicks(uint64_t bytes);

}  // namespace mapconvert
