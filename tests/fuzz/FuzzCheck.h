#pragma once
#include <cstdio>
#include <cstdlib>

// Ends the run with a message when a property of a fuzz harness does not hold;
// libFuzzer and the corpus runner both report the input that caused it.
#define FUZZ_CHECK(condition)                                                                   \
    do {                                                                                        \
        if (!(condition)) {                                                                     \
            std::fprintf(stderr, "%s:%d: property does not hold: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                       \
        }                                                                                       \
    } while (false)
