#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant in a fuzz target: says which, then aborts, which libFuzzer and the
// replay driver both report as a failure with the input that caused it.
#define FUZZ_CHECK(condition)                                                                  \
    ((condition) ? void()                                                                      \
                 : (std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", __FILE__, __LINE__, \
                                 #condition),                                                  \
                    std::abort()))
