// Fuzz target: the setup's command-line switches against a plain reading of the switch table,
// on every line without value switches or slash forms.
#include "fuzz.h"

#include <string>

#include "shell/switches.h"

// Whether the tail holds word, one position at a time.
static bool Holds(const char *tail, const char *word)
{
    size_t n = strlen(tail), w = strlen(word);
    for (size_t i = 0; i + w <= n; i++)
        if (memcmp(tail + i, word, w) == 0)
            return true;
    return false;
}

// The table's rows in order, on flags that start as they were.
static SetupModeFlags Reference(const char *tail, SetupModeFlags f)
{
    if (!*tail)
        return f;
    if (Holds(tail, "-installqu") || Holds(tail, "-installsi")) {
        f.installMode = 1, f.removeMode = 0, f.silent = 1;
        return f;
    }
    if (Holds(tail, "-i"))
        f.installMode = 1, f.removeMode = 0;
    else if (Holds(tail, "-r"))
        f.installMode = 0, f.removeMode = 1;
    if (Holds(tail, "-s") || Holds(tail, "-q"))
        f.silent = 1;
    if (Holds(tail, "-l"))
        f.logging = 1;
    return f;
}

// Whether a word of the tail is a value switch, -x or a slash form, which the table does not read.
static bool HasNewSwitches(const char *tail)
{
    if (strchr(tail, '/'))
        return true;
    for (const char *p = tail; *p;) {
        size_t n = strcspn(p, " \t");
        std::string word(p, n);
        if (word == "-f" || word == "-d" || word == "-g" || word == "-log" || word == "-x")
            return true;
        p += n;
        p += strspn(p, " \t");
    }
    return false;
}

static bool Same(SetupModeFlags a, SetupModeFlags b)
{
    return !a.installMode == !b.installMode && !a.removeMode == !b.removeMode && !a.silent == !b.silent &&
           !a.logging == !b.logging;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte gives the flags before parsing; the rest is the tail.
    SetupModeFlags start = {data[0] & 1, data[0] >> 1 & 1, data[0] >> 2 & 1, data[0] >> 3 & 1};
    Text tail = SplitTexts(data + 1, size - 1, 1)[0];
    SetupModeFlags got = ParseSwitches(tail.data(), start);
    if (!HasNewSwitches(tail.data()))
        CHECK(Same(got, Reference(tail.data(), start)));
    SetupModeFlags settled = got;
    if (got.silent && !got.removeMode)
        settled.installMode = 1;
    CHECK(Same(ApplySilentDefault(got), settled));
    return 0;
}
