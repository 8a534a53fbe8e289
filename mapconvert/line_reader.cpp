#include "mapconvert/line_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace mapconvert {

LineReader::LineReader(std::FILE* file, size_t block) : file_(file), block_(block), buffer_(new char[block]) {}

bool LineReader::fill() {
    if (eof_) return false;
    if (begin_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == block_) return true;
    errno = 0;
    const size_t got = std::fread(buffer_.get() + end_, 1, block_ - end_, file_);
    end_ += got;
    if (got == 0) {
        eof_ = true;
        if (std::ferror(file_)) error_ = errno != 0 ? errno : EIO;
        return false;
    }
    return true;
}

std::string_view LineReader::head() {
    while (end_ < block_ && fill()) {
    }
    return std::string_view(buffer_.get() + begin_, end_ - begin_);
}

void LineReader::append(const char* data, size_t size) {
    if (dropCarriageReturns_) {
        for (size_t i = 0; i < size && long_.size() <= kLineLimit; ++i) {
            if (data[i] != '\r') long_.push_back(data[i]);
        }
    } else {
        long_.append(data, std::min(size, kLineLimit + 1 - std::min(long_.size(), kLineLimit + 1)));
    }
}

bool LineReader::next(std::string_view& line) {
    long_.clear();
    cut_ = false;
    bool any = false;
    for (;;) {
        const char* start = buffer_.get() + begin_;
        const size_t available = end_ - begin_;
        const char* feed = static_cast<const char*>(std::memchr(start, '\n', available));
        const size_t take = feed != nullptr ? static_cast<size_t>(feed - start) : available;
        if (feed != nullptr && long_.empty() && !any &&
            (!dropCarriageReturns_ || std::memchr(start, '\r', take) == nullptr)) {
            // The common case: the whole line lies in the buffer as it is.
            begin_ += take + 1;
            ++lineNumber_;
            line = std::string_view(start, std::min(take, kLineLimit));
            cut_ = take > kLineLimit;
            return true;
        }
        if (take > 0) {
            append(start, take);
            any = true;
        }
        begin_ += take;
        if (feed != nullptr) {
            ++begin_;
            break;
        }
        if (!fill()) {
            if (!any) return false;
            break;
        }
    }
    ++lineNumber_;
    cut_ = long_.size() > kLineLimit;
    if (cut_) long_.resize(kLineLimit);
    line = long_;
    return true;
}

}  // namespace mapconvert
