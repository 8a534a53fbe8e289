// The demanglers of the Linux build: LLVM's library.
#include "mapconvert/demangle.h"

#include <llvm/Demangle/Demangle.h>

namespace mapconvert {

std::optional<std::string> demangleMicrosoft(const std::string& name) {
    int status = 0;
    char* text = llvm::microsoftDemangle(name.c_str(), nullptr, nullptr, nullptr, &status);
    return adoptDemangled(text, status == llvm::demangle_success);
}

std::optional<std::string> demangleItanium(const std::string& name) {
    int status = 0;
    char* text = llvm::itaniumDemangle(name.c_str(), nullptr, nullptr, &status);
    return adoptDemangled(text, status == llvm::demangle_success);
}

}  // namespace mapconvert
