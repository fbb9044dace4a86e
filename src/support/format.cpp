// Insert expansion for message templates, portable so that it is tested natively.
#include "format.h"

#include <stdarg.h>
#include <string.h>

#include "strbuf.h"

// Parses an insert at p (just past '%'). Returns its position (1..99) and sets *conv and
// *len (characters consumed after '%'); 0 when p does not start an insert.
static int ParseInsert(const char *p, char *conv, size_t *len)
{
    if (p[0] < '1' || p[0] > '9')
        return 0;
    int pos = p[0] - '0';
    size_t i = 1;
    if (p[1] >= '0' && p[1] <= '9') {
        pos = pos * 10 + (p[1] - '0');
        i = 2;
    }
    *conv = 's';
    if (p[i] == '!') {
        const char *end = strchr(p + i + 1, '!');
        if (end && end > p + i + 1) {
            *conv = end[-1];    // the letter ends the printf-like conversion: "s", "u", "lu"
            i = (size_t)(end - p) + 1;
        }
    }
    *len = i;
    return pos;
}

int InsertKinds(const char *tmpl, char kinds[TW_MAX_INSERTS + 1])
{
    int highest = 0;
    memset(kinds, 0, TW_MAX_INSERTS + 1);
    for (const char *p = tmpl; *p; p++) {
        if (*p != '%')
            continue;
        if (p[1] == '%') {
            p++;
            continue;
        }
        char conv;
        size_t len;
        int pos = ParseInsert(p + 1, &conv, &len);
        if (pos == 0)
            continue;
        // A position past the last argument slot names no argument: it expands to nothing.
        if (pos <= TW_MAX_INSERTS) {
            if (!kinds[pos])
                kinds[pos] = conv;
            if (pos > highest)
                highest = pos;
        }
        p += len;
    }
    return highest;
}

// Appends n bytes to the output, keeping one byte for the terminator; 0 once it is full.
static int Put(char *out, size_t cap, size_t *used, const char *s, size_t n)
{
    size_t room = cap - 1 - *used;
    int fit = n <= room;
    if (!fit)
        n = room;
    memcpy(out + *used, s, n);
    *used += n;
    return fit;
}

int ExpandInserts(char *out, size_t cap, const char *tmpl, const InsertArg *args, int count)
{
    if (cap == 0)
        return 0;
    size_t used = 0;
    int fit = 1;
    for (const char *p = tmpl; *p && fit; p++) {
        if (*p != '%') {
            fit = Put(out, cap, &used, p, 1);
            continue;
        }
        if (p[1] == '%') {
            fit = Put(out, cap, &used, "%", 1);
            p++;
            continue;
        }
        char conv;
        size_t len;
        int pos = ParseInsert(p + 1, &conv, &len);
        if (pos == 0) {
            fit = Put(out, cap, &used, p, 1);
            continue;
        }
        p += len;
        if (pos > count)
            continue;
        const InsertArg *a = &args[pos - 1];
        char num[16];
        if (conv == 's') {
            const char *s = a->s ? a->s : "";
            fit = Put(out, cap, &used, s, strlen(s));
        } else {
            if (conv == 'd' || conv == 'i')
                StrFormat(num, sizeof num, "%d", (int)a->u);
            else if (conv == 'x' || conv == 'X')
                StrFormat(num, sizeof num, conv == 'x' ? "%x" : "%X", a->u);
            else
                StrFormat(num, sizeof num, "%u", a->u);
            fit = Put(out, cap, &used, num, strlen(num));
        }
    }
    out[used] = '\0';
    return fit;
}

int FormatMessageTextV(char *out, size_t outSize, const char *tmpl, va_list ap)
{
    if (!out || outSize == 0 || !tmpl)
        return 0;
    char kinds[TW_MAX_INSERTS + 1];
    int count = InsertKinds(tmpl, kinds);
    InsertArg args[TW_MAX_INSERTS] = {};
    for (int i = 1; i <= count; i++) {
        if (kinds[i] == 's')
            args[i - 1].s = va_arg(ap, const char *);
        else
            args[i - 1].u = va_arg(ap, unsigned);
    }
    // The template may be the output buffer itself: expand into scratch first.
    char scratch[4096];
    size_t cap = outSize < sizeof scratch ? outSize : sizeof scratch;
    ExpandInserts(scratch, cap, tmpl, args, count);
    memcpy(out, scratch, strlen(scratch) + 1);
    return 1;
}

int FormatMessageText(char *out, size_t outSize, const char *tmpl, ...)
{
    va_list ap;
    va_start(ap, tmpl);
    int r = FormatMessageTextV(out, outSize, tmpl, ap);
    va_end(ap);
    return r;
}
