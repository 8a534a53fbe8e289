#include "mapconvert/demangle.h"

#include <cstdlib>

namespace mapconvert {

namespace {

bool allDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// f@8 -> f, when what follows the last '@' is a byte count.
std::string_view dropArgumentBytes(std::string_view name) {
    const size_t at = name.rfind('@');
    if (at == std::string_view::npos || at == 0 || !allDigits(name.substr(at + 1))) return name;
    return name.substr(0, at);
}

std::string_view undecorateC(std::string_view name) {
    if (name.size() > 1 && (name[0] == '_' || name[0] == '@')) {
        const std::string_view rest = dropArgumentBytes(name.substr(1));
        // @f alone is not fastcall; it needs its @n.
        if (name[0] == '_' || rest.size() != name.size() - 1) return rest;
    }
    return name;
}

}  // namespace

std::optional<std::string> adoptDemangled(char* text, bool ok) {
    std::optional<std::string> result;
    if (text != nullptr && ok) result = std::string(text);
    std::free(text);
    return result;
}

std::string demangle(std::string_view name, bool i386C) {
    if (!name.empty() && name[0] == '?') {
        if (auto readable = demangleMicrosoft(std::string(name))) return *readable;
        return std::string(name);
    }
    std::string_view itanium = name;
    if (i386C && name.substr(0, 3) == "__Z") itanium.remove_prefix(1);
    if (itanium.substr(0, 2) == "_Z") {
        if (auto readable = demangleItanium(std::string(itanium))) return *readable;
        return std::string(itanium);
    }
    return std::string(i386C ? undecorateC(name) : name);
}

}  // namespace mapconvert
