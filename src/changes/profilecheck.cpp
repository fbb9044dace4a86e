// Comparing WIN.INI's lines before and after the product's section was written.
#include "profilecheck.h"

#include <string.h>

#include "../support/strbuf.h"

// One line of the file, trimmed, split at its first "=" (key only when there is none).
struct IniLine {
    const char *key, *value;
    size_t keyLength, valueLength;
    int header, hasValue;
};

struct IniCursor {
    const char *text;
    size_t size, pos;
    int inSection;  // the last header named the section looked at
};

static int Blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

static void Trim(const char **p, size_t *n)
{
    while (*n && Blank(**p))
        (*p)++, (*n)--;
    while (*n && Blank((*p)[*n - 1]))
        (*n)--;
}

static int SameNoCase(const char *a, size_t n, const char *b)
{
    return strlen(b) == n && StrEqualNoCaseN(a, b, n);
}

// The next line that is not blank; 0 at the end.
static int NextLine(IniCursor *c, const char *section, IniLine *line)
{
    while (c->pos < c->size) {
        const char *start = c->text + c->pos;
        const char *end = (const char *)memchr(start, '\n', c->size - c->pos);
        size_t n = end ? (size_t)(end - start) : c->size - c->pos;
        c->pos += n + (end ? 1 : 0);
        Trim(&start, &n);
        if (!n)
            continue;
        memset(line, 0, sizeof *line);
        line->key = start;
        line->keyLength = n;
        if (start[0] == '[') {
            const char *close = (const char *)memchr(start, ']', n);
            const char *name = start + 1;
            size_t length = close ? (size_t)(close - name) : n - 1;
            Trim(&name, &length);
            line->header = 1;
            c->inSection = SameNoCase(name, length, section);
            return 1;
        }
        const char *eq = (const char *)memchr(start, '=', n);
        if (eq) {
            line->keyLength = (size_t)(eq - start);
            line->value = eq + 1;
            line->valueLength = n - line->keyLength - 1;
            line->hasValue = 1;
            Trim(&line->key, &line->keyLength);
            Trim(&line->value, &line->valueLength);
        }
        return 1;
    }
    return 0;
}

// The next line outside section (its header included); 0 at the end.
static int NextOtherLine(IniCursor *c, const char *section, IniLine *line)
{
    while (NextLine(c, section, line))
        if (!c->inSection)
            return 1;
    return 0;
}

static int SameLine(const IniLine *a, const IniLine *b)
{
    return a->header == b->header && a->hasValue == b->hasValue && a->keyLength == b->keyLength &&
           a->valueLength == b->valueLength && !memcmp(a->key, b->key, a->keyLength) &&
           (!a->hasValue || !memcmp(a->value, b->value, a->valueLength));
}

static void SkipUtf8Mark(const char **text, size_t *size, int *utf8)
{
    if (*size >= 3 && !memcmp(*text, "\xEF\xBB\xBF", 3)) {
        *text += 3;
        *size -= 3;
        *utf8 = 1;
    }
}

static int Utf16(const char *text, size_t size)
{
    return size >= 2 && ((text[0] == '\xFF' && text[1] == '\xFE') || (text[0] == '\xFE' && text[1] == '\xFF'));
}

int ProfileRewriteIntact(const char *before, size_t beforeSize, const char *after, size_t afterSize,
                         const char *section, const char *const *keys, const char *const *values, int count)
{
    if (Utf16(before, beforeSize) || Utf16(after, afterSize))
        return 1;
    int utf8 = 0;
    SkipUtf8Mark(&before, &beforeSize, &utf8);
    SkipUtf8Mark(&after, &afterSize, &utf8);

    IniCursor b = {before, beforeSize, 0, 0}, a = {after, afterSize, 0, 0};
    IniLine lb, la;
    for (;;) {
        int moreBefore = NextOtherLine(&b, section, &lb);
        int moreAfter = NextOtherLine(&a, section, &la);
        if (moreBefore != moreAfter || (moreBefore && !SameLine(&lb, &la)))
            return 0;
        if (!moreBefore)
            break;
    }
    for (int i = 0; i < count; i++) {
        int found = 0;
        IniCursor c = {after, afterSize, 0, 0};
        IniLine line;
        while (!found && NextLine(&c, section, &line))
            found = c.inSection && !line.header && line.hasValue && SameNoCase(line.key, line.keyLength, keys[i]) &&
                    (utf8 || (line.valueLength == strlen(values[i]) && !memcmp(line.value, values[i], line.valueLength)));
        if (!found)
            return 0;
    }
    return 1;
}
