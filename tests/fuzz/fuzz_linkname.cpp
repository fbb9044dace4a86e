// Fuzz target: group and item names made into link file names, which must stay in their folder.
#include "fuzz.h"

#include <ctype.h>

#include <string>

#include "progman/linkname.h"

// A device name by Windows' rule, read independently: the base before the first dot, trailing
// blanks ignored, is CON, PRN, AUX, NUL, CLOCK$, CONIN$, CONOUT$, or COM or LPT with a digit
// or a superscript one, two or three (cp1252 0xB9, 0xB2, 0xB3).
static bool IsDevice(const char *name)
{
    std::string base(name, strcspn(name, "."));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char &c : base)
        c = (char)tolower((unsigned char)c);
    for (const char *d : {"con", "prn", "aux", "nul", "clock$", "conin$", "conout$"})
        if (base == d)
            return true;
    if (base.size() != 4 || (base.compare(0, 3, "com") != 0 && base.compare(0, 3, "lpt") != 0))
        return false;
    unsigned char last = (unsigned char)base[3];
    return isdigit(last) || last == 0xB9 || last == 0xB2 || last == 0xB3;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    size_t cap = data[0];
    Text name = SplitTexts(data + 1, size - 1, 1)[0];
    std::vector<char> out = Buffer(cap);
    int made = MakeLinkFileName(cap ? out.data() : nullptr, cap, name.data());
    if (cap)
        CHECK(memchr(out.data(), '\0', cap) != nullptr);
    if (!made) {
        CHECK(!cap || out[0] == '\0');
        return 0;
    }
    // One name, not a path: no separator, wildcard, quote, stream colon or control character,
    // no trailing dot or blank, no device; each character the given one or '_' in its place.
    const char *n = out.data();
    size_t len = strlen(n);
    CHECK(len >= 1 && len < cap && len <= strlen(name.data()));
    for (size_t i = 0; i < len; i++) {
        unsigned char c = (unsigned char)n[i];
        CHECK(c >= 32 && !strchr("\\/:*?\"<>|", c));
        CHECK(n[i] == name[i] || n[i] == '_');
    }
    CHECK(n[len - 1] != '.' && n[len - 1] != ' ');
    CHECK(!IsDevice(n));
    return 0;
}
