// A recording stand-in for the host services, for tests that link the
// portable modules directly.
#pragma once

#include "map_record_cases.h"

#include <vector>

// Every _Insertname call since the last reset, in order.
std::vector<RecordedLabel>& FakeHostLabels();
void FakeHostReset();
