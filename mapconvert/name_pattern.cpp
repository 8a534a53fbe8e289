#include "mapconvert/name_pattern.h"

#include <cstddef>

namespace mapconvert {

namespace {

// Matches the set that starts at pattern[p] ('[' already passed) against c;
// sets p behind the closing ']'. A set without one is a literal '['.
bool matchSet(std::string_view pattern, size_t& p, unsigned char c, bool& matched) {
    size_t i = p;
    bool negate = false;
    if (i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^')) {
        negate = true;
        ++i;
    }
    bool found = false;
    bool first = true;
    while (i < pattern.size() && (first || pattern[i] != ']')) {
        first = false;
        unsigned char low = static_cast<unsigned char>(pattern[i]);
        if (low == '\\' && i + 1 < pattern.size()) low = static_cast<unsigned char>(pattern[++i]);
        ++i;
        unsigned char high = low;
        if (i + 1 < pattern.size() && pattern[i] == '-' && pattern[i + 1] != ']') {
            high = static_cast<unsigned char>(pattern[i + 1]);
            if (high == '\\' && i + 2 < pattern.size()) high = static_cast<unsigned char>(pattern[++i + 1]);
            i += 2;
        }
        if (c >= low && c <= high) found = true;
    }
    if (i >= pattern.size()) return false;
    p = i + 1;
    matched = found != negate;
    return true;
}

}  // namespace

bool matchesPattern(std::string_view pattern, std::string_view name) {
    size_t p = 0;
    size_t n = 0;
    // Where to resume after the last '*': the pattern behind it and the name
    // position it has swallowed up to.
    size_t starP = std::string_view::npos;
    size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size()) {
            const char pc = pattern[p];
            if (pc == '*') {
                starP = ++p;
                starN = n;
                continue;
            }
            if (pc == '?') {
                ++p;
                ++n;
                continue;
            }
            if (pc == '[') {
                size_t q = p + 1;
                bool matched = false;
                if (matchSet(pattern, q, static_cast<unsigned char>(name[n]), matched)) {
                    if (matched) {
                        p = q;
                        ++n;
                        continue;
                    }
                } else if (name[n] == '[') {
                    ++p;
                    ++n;
                    continue;
                }
            } else {
                const bool quoted = pc == '\\' && p + 1 < pattern.size();
                const char literal = quoted ? pattern[p + 1] : pc;
                if (literal == name[n]) {
                    p += quoted ? 2 : 1;
                    ++n;
                    continue;
                }
            }
        }
        if (starP == std::string_view::npos) return false;
        p = starP;
        n = ++starN;
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace mapconvert
