// Shell-style patterns on symbol names, as --exclude takes them.
#pragma once

#include <string_view>

namespace mapconvert {

// fnmatch without flags: '*' any run of bytes, '?' one byte, '[...]' a set
// with ranges and '!' or '^' to negate, '\' quotes the next byte. '/' and a
// leading '.' are ordinary bytes, since names are not paths.
bool matchesPattern(std::string_view pattern, std::string_view name);

}  // namespace mapconvert
