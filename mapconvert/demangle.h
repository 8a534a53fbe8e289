// Readable names for decorated and mangled symbols.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mapconvert {

// The name in readable form: MSVC-decorated and Itanium-mangled C++ names
// through the platform's demangler, and with i386C set the C decorations
// (_f, _f@8, @f@4 become f) and the extra underscore of __Z names removed.
// A name that no rule applies to, or that the demangler rejects, comes
// back as it is.
std::string demangle(std::string_view name, bool i386C);

// The platform's demanglers; nothing when the name is not theirs.
std::optional<std::string> demangleMicrosoft(const std::string& name);
std::optional<std::string> demangleItanium(const std::string& name);

// Takes a demangler's malloc'ed result, frees it, and keeps it when ok.
std::optional<std::string> adoptDemangled(char* text, bool ok);

}  // namespace mapconvert
