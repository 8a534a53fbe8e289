// Reads a stream line by line with bounded memory: a line feed ends a
// line, and a line longer than the limit keeps only its first bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <memory>

namespace mapconvert {

class LineReader {
public:
    // Bytes kept of one line; the rest of a longer line is read and dropped.
    static constexpr size_t kLineLimit = 64 * 1024;

    // Reads one block at a time; a file known to be small needs no more
    // than its size.
    static constexpr size_t kLargestBlock = 1 << 20;
    explicit LineReader(std::FILE* file, size_t block = kLargestBlock);

    // Drop carriage returns wherever they stand, as a Run does.
    void dropCarriageReturns() { dropCarriageReturns_ = true; }

    // The first bytes of the stream, up to one block, without consuming them:
    // enough to tell the format.
    std::string_view head();

    // The next line without its line feed; false at the end or on an error.
    // The view lasts until the next call.
    bool next(std::string_view& line);

    // The last line had more than kLineLimit bytes (carriage returns not
    // counted when they are dropped).
    bool cut() const { return cut_; }
    uint64_t lineNumber() const { return lineNumber_; }
    // errno of a failed read, 0 when the stream ended normally.
    int error() const { return error_; }

private:
    bool fill();
    void append(const char* data, size_t size);

    std::FILE* file_;
    bool dropCarriageReturns_ = false;
    // Not zeroed: it is only ever read where it was filled.
    size_t block_;
    std::unique_ptr<char[]> buffer_;
    size_t begin_ = 0;
    size_t end_ = 0;
    bool eof_ = false;
    bool cut_ = false;
    int error_ = 0;
    uint64_t lineNumber_ = 0;
    std::string long_;
};

}  // namespace mapconvert
