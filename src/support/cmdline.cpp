// Reading the command line of the setup and the uninstaller: value switches first, the rest kept
// for the mode tests.
#include "cmdline.h"

#include <string.h>

#include "strbuf.h"

static int IsBlank(char c) { return c == ' ' || c == '\t'; }

#define SETS_SILENT 1
#define SETS_LOGGING 2
#define SETS_HELP 4

// The switches that stand alone: the dash forms as the setup has always read them
// (case-sensitive), the slash forms that deployment tools type (any case).
struct FlagSwitch {
    const char *name;
    unsigned char words;
    unsigned char sets;
};
static const FlagSwitch flagSwitches[] = {
    {"-s", WORDS_S, SETS_SILENT}, {"-q", WORDS_Q, SETS_SILENT}, {"-l", WORDS_L, SETS_LOGGING},
    {"-i", WORDS_I, 0}, {"-r", WORDS_R, 0}, {"-?", 0, SETS_HELP},
    {"/S", WORDS_S, SETS_SILENT}, {"/SILENT", WORDS_S, SETS_SILENT}, {"/VERYSILENT", WORDS_S, SETS_SILENT},
    {"/Q", WORDS_S, SETS_SILENT}, {"/QN", WORDS_S, SETS_SILENT}, {"/QUIET", WORDS_S, SETS_SILENT},
    {"/I", WORDS_I, 0}, {"/R", WORDS_R, 0}, {"/L", WORDS_L, SETS_LOGGING},
    {"/?", 0, SETS_HELP}, {"/HELP", 0, SETS_HELP},
};

static size_t WordLength(const char *p)
{
    size_t n = 0;
    while (p[n] && !IsBlank(p[n]))
        ++n;
    return n;
}

// The flag switch that the word of n characters at p is, else null.
static const FlagSwitch *FlagAt(const char *p, size_t n)
{
    for (const FlagSwitch &f : flagSwitches) {
        if (strlen(f.name) != n)
            continue;
        if (f.name[0] == '-' ? memcmp(p, f.name, n) == 0 : StrEqualNoCaseN(p, f.name, n))
            return &f;
    }
    return NULL;
}

// Which value switch starts at p: 'f', 'd', 'g', 'l' (-log), 'L' (/LOG=, the value joined to
// it), else 0. *skip is its length.
static char ValueSwitchAt(const char *p, size_t *skip)
{
    size_t n = WordLength(p);
    if (n >= 5 && StrEqualNoCaseN(p, "/LOG=", 5)) {
        *skip = 5;
        return 'L';
    }
    if (n == 4 && memcmp(p, "-log", 4) == 0) {
        *skip = 4;
        return 'l';
    }
    if (n == 2 && p[0] == '-' && strchr("fdg", p[1])) {
        *skip = 2;
        return p[1];
    }
    return 0;
}

static int SwitchStartsAt(const char *p)
{
    size_t skip;
    return ValueSwitchAt(p, &skip) || FlagAt(p, WordLength(p)) || (p[0] == '-' && p[1] == 'x' && (!p[2] || IsBlank(p[2])));
}

// Where the unquoted value at p ends: before the blanks ahead of the next value switch.
static const char *ValueEnd(const char *p)
{
    size_t skip;
    for (const char *q = p; *q; ++q)
        if (IsBlank(*q) && ValueSwitchAt(q + 1, &skip))
            return q;
    return p + strlen(p);
}

static void Apply(CommandLine *line, const FlagSwitch *f)
{
    line->words |= f->words;
    if (f->sets & SETS_SILENT)
        line->silent = 1;
    if (f->sets & SETS_LOGGING)
        line->logging = 1;
    if (f->sets & SETS_HELP)
        line->help = 1;
}

// The length of the value [p, p + n) once its trailing blanks and the flag switches standing
// alone at its end are taken off (and applied, when line is not null).
static size_t TrimValue(const char *p, size_t n, CommandLine *line)
{
    for (;;) {
        while (n && IsBlank(p[n - 1]))
            --n;
        size_t w = 0;
        while (w < n && !IsBlank(p[n - 1 - w]))
            ++w;
        if (w == n)
            return n;     // the first word is the value itself
        const FlagSwitch *f = FlagAt(p + n - w, w);
        if (!f)
            return n;
        if (line)
            Apply(line, f);
        n -= w;
    }
}

void RefuseCommandValue(CommandLine *line, int error, const char *name, const char *value)
{
    if (line->error)
        return;     // the first bad part is the one reported
    line->error = error;
    StrCopy(line->badSwitch, sizeof line->badSwitch, name);
    size_t n = strlen(value), cap = sizeof line->badValue;
    if (n < cap) {
        memcpy(line->badValue, value, n + 1);
    } else {
        memcpy(line->badValue, value, cap - 4);
        memcpy(line->badValue + cap - 4, "...", 4);
    }
}

// Substring tests of one word, as the setup has always made them on its command line.
static unsigned WordBits(const char *p, size_t n)
{
    static const struct { const char *text; unsigned bit; } tests[] = {
        {"-installqu", WORDS_INSTALL_QUIET}, {"-installsi", WORDS_INSTALL_QUIET}, {"-i", WORDS_I},
        {"-r", WORDS_R}, {"-s", WORDS_S}, {"-q", WORDS_Q}, {"-l", WORDS_L},
    };
    unsigned bits = 0;
    for (const auto &t : tests) {
        size_t k = strlen(t.text);
        for (size_t i = 0; i + k <= n; i++)
            if (memcmp(p + i, t.text, k) == 0) {
                bits |= t.bit;
                break;
            }
    }
    return bits;
}

int ParseCommandLine(const char *tail, CommandLine *line)
{
    memset(line, 0, sizeof *line);
    const char *p = tail ? tail : "";
    for (;;) {
        while (IsBlank(*p))
            ++p;
        if (!*p)
            return line->error == COMMAND_OK;
        size_t n = WordLength(p), skip;
        char which = ValueSwitchAt(p, &skip);
        if (p[0] == '-' && p[1] == 'x' && n == 2) {
            // The uninstaller's copy: the handle of the process it waits for.
            p += 2;
            while (IsBlank(*p))
                ++p;
            line->relocated = 1;
            for (; *p >= '0' && *p <= '9'; ++p)
                line->originalProcess = line->originalProcess * 10 + (unsigned long)(*p - '0');
            continue;
        }
        if (!which) {
            const FlagSwitch *f = FlagAt(p, n);
            if (f)
                Apply(line, f);
            line->words |= WordBits(p, n);
            p += n;
            continue;
        }
        char name[8];
        StrCopy(name, sizeof name, which == 'L' ? "/LOG=" : which == 'l' ? "-log" : which == 'f' ? "-f" : which == 'd' ? "-d" : "-g");
        char *out = which == 'f' ? line->programDir : which == 'd' ? line->dataDir : which == 'g' ? line->groupName : line->logFile;
        size_t cap = which == 'f' || which == 'd' ? COMMAND_DIR_SIZE : which == 'g' ? COMMAND_GROUP_SIZE : COMMAND_LOG_SIZE;
        if (which == 'l' || which == 'L')
            line->logging = 1;
        p += skip;
        if (which != 'L')
            while (IsBlank(*p))
                ++p;
        const char *begin = p, *end;
        size_t length;
        if (*p == '"' && strchr(p + 1, '"')) {
            // Quoted: taken as it is, blanks and all; nothing is taken off its end.
            begin = p + 1;
            end = strchr(begin, '"');
            length = (size_t)(end - begin);
            p = end + 1;
        } else {
            if (!*p || IsBlank(*p) || SwitchStartsAt(p)) {
                // The rest is still read, so that a silent switch there keeps the report silent.
                RefuseCommandValue(line, COMMAND_NO_VALUE, name, "");
                continue;
            }
            end = ValueEnd(p);
            length = TrimValue(p, (size_t)(end - p), line);
            p = end;
        }
        if (length >= cap) {
            char shown[sizeof line->badValue];
            size_t k = length < sizeof shown - 1 ? length : sizeof shown - 1;
            memcpy(shown, begin, k);
            shown[k] = '\0';
            if (!line->error) {
                RefuseCommandValue(line, COMMAND_TOO_LONG, name, shown);
                if (k < length)
                    memcpy(line->badValue + sizeof line->badValue - 4, "...", 4);
            }
            continue;
        }
        memcpy(out, begin, length);
        out[length] = '\0';
    }
}

int CommandValueNeedsQuotes(const char *value)
{
    size_t n = value ? strlen(value) : 0;
    if (n == 0 || IsBlank(value[0]) || IsBlank(value[n - 1]) || value[0] == '"' || SwitchStartsAt(value))
        return 1;
    size_t skip;
    for (const char *p = value; *p; p++)
        if (IsBlank(*p) && ValueSwitchAt(p + 1, &skip))
            return 1;
    return TrimValue(value, n, NULL) != n;
}
