// The demanglers of the Windows build: the system's for MSVC names and the
// C++ runtime's for Itanium ones.
#include "mapconvert/demangle.h"

#include <windows.h>

#include <dbghelp.h>

#include <cxxabi.h>

namespace mapconvert {

std::optional<std::string> demangleMicrosoft(const std::string& name) {
    char text[4096];
    const DWORD length = UnDecorateSymbolName(name.c_str(), text, sizeof text, UNDNAME_COMPLETE);
    if (length == 0 || name == text) return std::nullopt;
    return std::string(text, length);
}

std::optional<std::string> demangleItanium(const std::string& name) {
    int status = 0;
    char* text = abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status);
    return adoptDemangled(text, status == 0);
}

}  // namespace mapconvert
