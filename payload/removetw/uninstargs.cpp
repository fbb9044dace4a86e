// Parsing of the uninstaller's command line and the command of its relocated copy.
#include "uninstargs.h"

#include <stdlib.h>
#include <string.h>

#include "support/strbuf.h"

static int IsBlank(char c) { return c == ' ' || c == '\t'; }

// Length of the switch token at p ("-f", "-s", ...) when it stands alone, else 0.
static size_t SwitchAt(const char *p, const char *names)
{
    if (p[0] != '-' || !p[1] || !strchr(names, p[1]))
        return 0;
    return (p[2] == '\0' || IsBlank(p[2])) ? 2 : 0;
}

// Where the unquoted value starting at p ends: before the blanks ahead of the next value switch.
static const char *ValueEnd(const char *p)
{
    for (const char *q = p; *q; ++q)
        if (IsBlank(*q) && SwitchAt(q + 1, "fdg"))
            return q;
    return p + strlen(p);
}

static int StoreValue(char *out, size_t cap, const char *begin, const char *end)
{
    size_t n = (size_t)(end - begin);
    if (n >= cap)
        return 0;
    memcpy(out, begin, n);
    out[n] = '\0';
    return 1;
}

// Takes trailing " -s", " -q" and " -l" off the last value and applies them.
static void TakeTrailingSwitches(char *value, UninstallArgs *args)
{
    for (;;) {
        size_t n = strlen(value);
        while (n && IsBlank(value[n - 1]))
            value[--n] = '\0';
        if (n < 3 || !IsBlank(value[n - 3]) || !SwitchAt(value + n - 2, "sql"))
            return;
        if (value[n - 1] == 'l')
            args->logging = 1;
        else
            args->silent = 1;
        value[n - 3] = '\0';
    }
}

int ParseUninstallArgs(const char *tail, UninstallArgs *args)
{
    memset(args, 0, sizeof *args);
    const char *p = tail ? tail : "";
    char *last = NULL;
    for (;;) {
        while (IsBlank(*p))
            ++p;
        if (!*p)
            break;
        if (SwitchAt(p, "sq")) {
            args->silent = 1;
            p += 2;
        } else if (SwitchAt(p, "l")) {
            args->logging = 1;
            p += 2;
        } else if (SwitchAt(p, "x")) {
            char *end;
            args->originalProcess = strtoul(p + 2, &end, 10);
            args->relocated = 1;
            p = end;
        } else if (SwitchAt(p, "fdg")) {
            char which = p[1];
            char *out = which == 'f' ? args->programDir : which == 'd' ? args->dataDir : args->groupName;
            size_t cap = which == 'g' ? sizeof args->groupName : sizeof args->programDir;
            p += 2;
            while (IsBlank(*p))
                ++p;
            const char *end;
            if (*p == '"' && strchr(p + 1, '"')) {
                // Quoted: taken as it is, blanks and all; nothing is taken off its end.
                end = strchr(p + 1, '"');
                if (!StoreValue(out, cap, p + 1, end))
                    return 0;
                p = end + 1;
                last = NULL;
            } else {
                end = ValueEnd(p);
                const char *cut = end;
                while (cut > p && IsBlank(cut[-1]))
                    --cut;
                if (!StoreValue(out, cap, p, cut))
                    return 0;
                p = end;
                last = out;
            }
        } else {
            // Anything else is skipped a word at a time.
            while (*p && !IsBlank(*p))
                ++p;
        }
    }
    if (last)
        TakeTrailingSwitches(last, args);
    return 1;
}

int ComposeRelocatedCommand(char *out, size_t cap, const char *copyPath, unsigned long handle, const char *tail)
{
    return StrFormat(out, cap, "\"%s\" -x %lu %s", copyPath, handle, tail ? tail : "");
}

int PathIsWithin(const char *path, const char *dir)
{
    size_t n = strlen(dir);
    while (n && dir[n - 1] == '\\')
        --n;
    if (!n || strlen(path) < n)
        return 0;
    return StrEqualNoCaseN(path, dir, n) && (path[n] == '\0' || path[n] == '\\');
}
