#include "fake_host.h"

#include "host/host_services.h"

std::vector<RecordedLabel>& FakeHostLabels() {
    static std::vector<RecordedLabel> labels;
    return labels;
}

void FakeHostReset() { FakeHostLabels().clear(); }

extern "C" int32_t HOST_CALL _Insertname(uint32_t address, int32_t type, const char* name) {
    FakeHostLabels().push_back({address, type, name});
    return 0;
}
