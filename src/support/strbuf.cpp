// Bounded copy, append and format into fixed buffers, reporting truncation.
#include "strbuf.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

int StrCopy(char *dst, size_t cap, const char *src)
{
    if (cap == 0)
        return 0;
    if (!src)
        src = "";
    size_t n = strlen(src);
    int fit = n < cap;
    if (!fit)
        n = cap - 1;
    memmove(dst, src, n);
    dst[n] = '\0';
    return fit;
}

int StrAppend(char *dst, size_t cap, const char *src)
{
    if (cap == 0)
        return 0;
    size_t used = strnlen(dst, cap);
    if (used == cap) {          // unterminated: terminate, nothing more fits
        dst[cap - 1] = '\0';
        return 0;
    }
    return StrCopy(dst + used, cap - used, src);
}

int StrFormat(char *dst, size_t cap, const char *fmt, ...)
{
    if (cap == 0)
        return 0;
    va_list ap;
    va_start(ap, fmt);
    int n = vsnprintf(dst, cap, fmt, ap);
    va_end(ap);
    if (n < 0) {
        dst[0] = '\0';
        return 0;
    }
    return (size_t)n < cap;
}

static int LowerAscii(int c)
{
    return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c;
}

int StrEqualNoCase(const char *a, const char *b)
{
    for (; *a && *b; a++, b++)
        if (LowerAscii((unsigned char)*a) != LowerAscii((unsigned char)*b))
            return 0;
    return *a == *b;
}

void StripTrailingBackslash(char *s)
{
    size_t n = strlen(s);
    if (n > 0 && s[n - 1] == '\\')
        s[n - 1] = '\0';
}

int EnsureTrailingBackslash(char *dst, size_t cap)
{
    size_t n = strlen(dst);
    if (n > 0 && dst[n - 1] == '\\')
        return 1;
    return StrAppend(dst, cap, "\\");
}
