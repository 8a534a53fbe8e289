// A failed property in a fuzz target: print what failed and abort, which
// libFuzzer reports as a crash and saves the input for.
#pragma once

#include <stdio.h>
#include <stdlib.h>

#define FUZZ_CHECK(condition, what)                                                  \
    do {                                                                            \
        if (!(condition)) {                                                         \
            fprintf(stderr, "%s:%d: %s: %s\n", __FILE__, __LINE__, #condition, what); \
            abort();                                                                \
        }                                                                           \
    } while (0)
