// What every fuzz target shares: a contract check that stops the run, and the input cut into texts.
#ifndef TW_FUZZ_H
#define TW_FUZZ_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

// A broken contract is a finding like a sanitizer report: libFuzzer keeps the input.
#define CHECK(cond)                                                                        \
    do {                                                                                   \
        if (!(cond)) {                                                                     \
            fprintf(stderr, "contract broken: %s (%s:%d)\n", #cond, __FILE__, __LINE__);   \
            abort();                                                                       \
        }                                                                                  \
    } while (0)

// One text of the input in a heap block of exactly its length and terminator, so that any
// read past the terminator is an out-of-bounds read.
typedef std::vector<char> Text;

// Cuts the input at its zero bytes into at most count texts; missing ones are empty.
inline std::vector<Text> SplitTexts(const uint8_t *data, size_t size, size_t count)
{
    std::vector<Text> texts;
    size_t at = 0;
    for (size_t i = 0; i < count; i++) {
        size_t n = at < size ? strnlen((const char *)data + at, size - at) : 0;
        Text t(n + 1);
        if (n)
            memcpy(t.data(), data + at, n);
        t[n] = '\0';
        texts.push_back(t);
        at += n + 1;
    }
    return texts;
}

// A heap block of exactly cap bytes, filled with a byte the code under test never writes
// unless it means to.
inline std::vector<char> Buffer(size_t cap)
{
    return std::vector<char>(cap, '\x7f');
}

#endif
