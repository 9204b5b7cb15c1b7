#pragma once
// A property check inside a fuzz target: a violated property is a finding, so
// it aborts with the reason (libFuzzer then saves the input as a crash case).

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                                  \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            std::fprintf(stderr, "%s:%d: property violated: %s\n", __FILE__, __LINE__,   \
                         #cond);                                                          \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)
