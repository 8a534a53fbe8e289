// SplitText, FindText, the trims and CopyText against a model of the same
// rules built on std::string. Input: four bytes of flags, then the token up
// to the first NUL, then the text up to the next NUL.
#include "fuzz_check.h"

#include "strutil/strutil.h"

#include <stdint.h>
#include <string.h>

#include <memory>
#include <string>

namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }

std::string Folded(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

// The occurrence FindText must find, or npos.
size_t ModelFind(const std::string& token, const std::string& text, uint32_t flags) {
    const bool exact = (flags & 1) != 0;
    const std::string t = exact ? text : Folded(text);
    const std::string k = exact ? token : Folded(token);
    if ((flags & 8) == 0) return t.find(k);
    if (t.empty() || k.empty()) return std::string::npos;
    return t.rfind(k);
}

std::string ModelTrim(std::string s, bool leading, bool trailing) {
    if (leading) {
        size_t skip = 0;
        while (skip < s.size() && Blank(s[skip])) ++skip;
        s.erase(0, skip);
    }
    if (trailing) {
        while (!s.empty() && Blank(s.back())) s.pop_back();
    }
    return s;
}

// A heap copy of exactly the text and its terminator, so that a read or
// write past it is caught by the address sanitizer.
std::unique_ptr<char[]> Exact(const std::string& s) {
    std::unique_ptr<char[]> p(new char[s.size() + 1]);
    memcpy(p.get(), s.c_str(), s.size() + 1);
    return p;
}

void CheckFind(const std::string& token, const std::string& text, uint32_t flags) {
    const auto k = Exact(token);
    const auto t = Exact(text);
    int32_t start = -7;
    int32_t end = -7;
    const int32_t result = FindText(k.get(), t.get(), flags, &start, &end);
    const size_t expected = ModelFind(token, text, flags);
    if (expected == std::string::npos) {
        FUZZ_CHECK(result == -1, "FindText found what is not there");
        FUZZ_CHECK(start == -7 && end == -7, "FindText wrote a position on failure");
        return;
    }
    FUZZ_CHECK(result == 0, "FindText missed an occurrence");
    FUZZ_CHECK(start == static_cast<int32_t>(expected), "FindText start");
    FUZZ_CHECK(end == static_cast<int32_t>(expected + token.size()), "FindText end");
}

void CheckSplit(const std::string& token, const std::string& text, uint32_t flags) {
    const auto k = Exact(token);
    const auto t = Exact(text);
    // Each output gets exactly the capacity the contract promises suffices.
    const std::string untouched(text.size(), 'Z');
    const auto left = Exact(untouched);
    const auto right = Exact(untouched);
    const int32_t result = SplitText(k.get(), t.get(), left.get(), right.get(), flags);
    const size_t at = ModelFind(token, text, flags);
    if (at == std::string::npos) {
        FUZZ_CHECK(result == -1, "SplitText split at what is not there");
        FUZZ_CHECK(untouched == left.get() && untouched == right.get(), "SplitText wrote on failure");
        return;
    }
    const bool leading = (flags & 2) != 0;
    const bool trailing = (flags & 4) != 0;
    FUZZ_CHECK(result == 0, "SplitText missed the token");
    FUZZ_CHECK(ModelTrim(text.substr(0, at), leading, trailing) == left.get(), "SplitText left output");
    FUZZ_CHECK(ModelTrim(text.substr(at + token.size()), leading, trailing) == right.get(),
               "SplitText right output");
    FUZZ_CHECK(strcmp(t.get(), text.c_str()) == 0, "SplitText changed its text");
}

void CheckTrimsAndCopy(const std::string& text) {
    const auto left = Exact(text);
    FUZZ_CHECK(TrimLeftBlanks(left.get()) == 0, "TrimLeftBlanks result");
    FUZZ_CHECK(ModelTrim(text, true, false) == left.get(), "TrimLeftBlanks");
    const auto right = Exact(text);
    FUZZ_CHECK(TrimRightBlanks(right.get()) == 0, "TrimRightBlanks result");
    FUZZ_CHECK(ModelTrim(text, false, true) == right.get(), "TrimRightBlanks");
    const auto copy = Exact(std::string(text.size(), 'Z'));
    FUZZ_CHECK(CopyText(text.c_str(), copy.get()) == 0 && text == copy.get(), "CopyText");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint32_t flags = 0;
    const size_t flagBytes = size < 4 ? size : 4;
    for (size_t i = 0; i < flagBytes; ++i) flags |= static_cast<uint32_t>(data[i]) << (8 * i);
    const std::string rest(reinterpret_cast<const char*>(data) + flagBytes, size - flagBytes);
    const size_t cut = rest.find('\0');
    const std::string token = rest.substr(0, cut);
    const std::string text = cut == std::string::npos ? "" : std::string(rest.c_str() + cut + 1);
    CheckFind(token, text, flags);
    CheckSplit(token, text, flags);
    CheckTrimsAndCopy(text);
    return 0;
}
