// Generated MAP files for the benchmarks: lines as a linker writes them,
// most with a name at column 10, some at column 39, some that give no label.
#pragma once

#include <stdint.h>

#include <string>

// Appends lines to text until it holds at least targetBytes; the number
// of lines that give a label (each at an address of its own). The same
// seed gives the same text.
size_t GenerateMapText(std::string* text, size_t targetBytes, uint32_t seed);
