#include "mapconvert/output.h"

#include "mapconvert/address.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cinttypes>
#include <cstring>
#include <filesystem>

namespace mapconvert {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

std::string hex(std::optional<uint64_t> value) { return value ? hexText(*value) : "none"; }

std::FILE* createBeside(const std::string& path, std::string& created) {
#ifdef _WIN32
    const int flags = _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY;
    const long id = _getpid();
#else
    const int flags = O_WRONLY | O_CREAT | O_EXCL;
    const long id = static_cast<long>(getpid());
#endif
    for (int attempt = 0; attempt < 100; ++attempt) {
        created = path + ".tmp" + std::to_string(id) + "-" + std::to_string(attempt);
        const int fd = open(created.c_str(), flags, 0666);
        if (fd >= 0) return fdopen(fd, "wb");
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
}

}  // namespace

uint64_t outputSize(const Conversion& conversion) {
    uint64_t bytes = 0;
    for (const Symbol& line : conversion.lines) bytes += 10 + line.length;
    return bytes;
}

bool writeLines(const Conversion& conversion, std::FILE* file) {
    std::string chunk;
    chunk.reserve(1 << 16);
    for (const Symbol& line : conversion.lines) {
        char address[9];
        for (int i = 0; i < 8; ++i) address[i] = kHexDigits[(line.address >> (28 - 4 * i)) & 0xF];
        address[8] = ' ';
        chunk.append(address, 9);
        chunk += conversion.nameOf(line);
        chunk += '\n';
        if (chunk.size() >= (1 << 16) - 512) {
            if (std::fwrite(chunk.data(), 1, chunk.size(), file) != chunk.size()) return false;
            chunk.clear();
        }
    }
    return std::fwrite(chunk.data(), 1, chunk.size(), file) == chunk.size() && std::fflush(file) == 0;
}

std::optional<std::string> replaceFile(const std::string& path, const Conversion& conversion) {
    std::string temporary;
    std::FILE* file = createBeside(path, temporary);
    if (file == nullptr) return std::string(std::strerror(errno));
    const bool written = writeLines(conversion, file);
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    std::error_code error;
    if (written && closed) {
        std::filesystem::rename(temporary, path, error);
        if (!error) return std::nullopt;
    }
    const std::string reason = error ? error.message() : std::strerror(written ? errno : writeError);
    std::remove(temporary.c_str());
    return reason;
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

uint64_t loadTicks(uint64_t bytes) { return bytes / 8191 + 1; }

std::string formatReport(const Conversion& conversion, const std::string& outputName) {
    std::string text;
    char line[512];
    for (const InputReport& input : conversion.inputs) {
        const InputStats& s = input.stats;
        const FormatInfo& info = formatInfo(input.format);
        text += "vorlane-map: '" + input.path + "': " + std::string(info.description) + "\n";
        const bool rebased = input.baseUsed && input.baseUsed != input.mapBaseUsed;
        text += "  map base " + hex(input.mapBaseUsed) + (input.mapBase != input.mapBaseUsed ? " (given)" : "") +
                ", base used " + (rebased ? hex(input.baseUsed) : hex(input.mapBaseUsed) + " (not rebased)") + "\n";
        std::snprintf(line, sizeof line,
                      "  symbols read %" PRIu64 ", lines written %" PRIu64 ", replaced by a later input %" PRIu64
                      "\n"
                      "  skipped: absolute %" PRIu64 ", outside 32 bits %" PRIu64 ", address 0 %" PRIu64
                      ", same address %" PRIu64 ", control byte %" PRIu64 ", excluded %" PRIu64
                      ", not code or data %" PRIu64 "; names cut %" PRIu64 "\n",
                      s.symbolsRead, s.written, s.replaced, s.skips(Skip::Absolute), s.skips(Skip::Outside32Bits),
                      s.skips(Skip::AddressZero), s.skips(Skip::SameAddress), s.skips(Skip::ControlByte),
                      s.skips(Skip::Excluded), s.skips(Skip::NotCodeOrData), s.namesCut);
        text += line;
        if (s.linesCut > 0) {
            std::snprintf(line, sizeof line, "  lines longer than %zu bytes, read only in part: %" PRIu64 "\n",
                          LineReader::kLineLimit, s.linesCut);
            text += line;
        }
    }
    const uint64_t bytes = outputSize(conversion);
    const uint64_t ticks = loadTicks(bytes);
    std::snprintf(line, sizeof line, "vorlane-map: %zu lines, %" PRIu64 " bytes to ", conversion.lines.size(), bytes);
    text += line + outputName;
    std::snprintf(line, sizeof line,
                  "; the debugger loads them in %" PRIu64 " %s of 10 ms (about %" PRIu64 ".%02" PRIu64 " s)\n",
                  ticks, ticks == 1 ? "tick" : "ticks", ticks / 100, ticks % 100);
    text += line;
    return text;
}

}  // namespace mapconvert
