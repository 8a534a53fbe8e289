// MAPFilePerRecordHandler on arbitrary records: whatever the record, a
// label that reaches the host is well formed, and the record is left as
// it was. The input, up to its first NUL, is the record.
#include "fuzz_check.h"

#include "host/host_services.h"
#include "mapload/map_handlers.h"

#include <stdint.h>
#include <string.h>

#include <memory>
#include <string>

namespace {

int32_t labelCount = 0;

bool Blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

extern "C" int32_t HOST_CALL _Insertname(uint32_t address, int32_t type, const char* name) {
    ++labelCount;
    const size_t length = strlen(name);
    FUZZ_CHECK(address != 0, "label at address 0");
    FUZZ_CHECK(type == NAME_TYPE_LABEL, "label of another type");
    FUZZ_CHECK(length > 0, "empty name");
    FUZZ_CHECK(length <= MAP_FIELD_CAPACITY - 1, "name longer than 254 characters");
    FUZZ_CHECK(!Blank(name[0]) && !Blank(name[length - 1]), "name with a leading or trailing blank");
    for (size_t i = 0; i < length; ++i) FUZZ_CHECK(!(name[i] >= 'a' && name[i] <= 'z'), "lower-case name");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string record(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
    // Exactly the record and its terminator, so that reading past it is caught.
    std::unique_ptr<char[]> copy(new char[record.size() + 1]);
    memcpy(copy.get(), record.c_str(), record.size() + 1);
    labelCount = 0;
    FUZZ_CHECK(MAPFilePerRecordHandler(static_cast<int32_t>(record.size()), copy.get()) == 0, "result not 0");
    FUZZ_CHECK(labelCount <= 1, "more than one label for a record");
    FUZZ_CHECK(record == copy.get(), "the record was changed");
    return 0;
}
