// Bounded copy, append and format into fixed buffers, reporting truncation.
#include "strbuf.h"

#include <stdarg.h>
#include <string.h>

size_t StrLength(const char *s, size_t cap)
{
    const char *end = (const char *)memchr(s, '\0', cap);
    return end ? (size_t)(end - s) : cap;
}

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
    size_t used = StrLength(dst, cap);
    if (used == cap) {          // unterminated: terminate, nothing more fits
        dst[cap - 1] = '\0';
        return 0;
    }
    return StrCopy(dst + used, cap - used, src);
}

// Output of the formatter: what fits is written, the rest only noted as cut.
struct FormatSink {
    char *dst;
    size_t room;    // characters still free, the terminator not counted
    int fit;
};

static void PutChars(FormatSink *out, const char *s, size_t n)
{
    if (n > out->room) {
        n = out->room;
        out->fit = 0;
    }
    memcpy(out->dst, s, n);
    out->dst += n;
    out->room -= n;
}

static void PutRepeated(FormatSink *out, char c, size_t n)
{
    while (n-- > 0)
        PutChars(out, &c, 1);
}

// The formatter of the program's own few conversions: %s %c %d %i %u %x %X and %%, with the
// flags '-' and '0', a width, a precision for %s (digits or '*'), and the sizes h, l and z.
int StrFormatV(char *dst, size_t cap, const char *fmt, va_list ap)
{
    if (cap == 0)
        return 0;
    FormatSink out = {dst, cap - 1, 1};
    for (const char *p = fmt; *p; p++) {
        if (*p != '%') {
            const char *run = p;
            while (p[1] && p[1] != '%')
                p++;
            PutChars(&out, run, (size_t)(p - run) + 1);
            continue;
        }
        const char *start = p++;
        int left = 0, zero = 0;
        for (;; p++) {
            if (*p == '-')
                left = 1;
            else if (*p == '0')
                zero = 1;
            else
                break;
        }
        size_t width = 0;
        for (; *p >= '0' && *p <= '9'; p++)
            width = width < 1000 ? width * 10 + (size_t)(*p - '0') : width;
        size_t precision = (size_t)-1;
        if (*p == '.') {
            precision = 0;
            if (*++p == '*') {
                int given = va_arg(ap, int);
                precision = given < 0 ? (size_t)-1 : (size_t)given;
                p++;
            }
            for (; *p >= '0' && *p <= '9'; p++)
                precision = precision < 100000 ? precision * 10 + (size_t)(*p - '0') : precision;
        }
        char size = 0;
        while (*p == 'l' || *p == 'h' || *p == 'z')
            size = *p++;

        char digits[24];
        const char *text = digits;
        size_t len = 0;
        int negative = 0;
        switch (*p) {
        case 's':
            text = va_arg(ap, const char *);
            if (!text)
                text = "(null)";
            len = precision == (size_t)-1 ? strlen(text) : StrLength(text, precision);
            zero = 0;
            break;
        case 'c':
            digits[0] = (char)va_arg(ap, int);
            len = 1;
            zero = 0;
            break;
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X': {
            int isSigned = *p == 'd' || *p == 'i';
            unsigned long value;
            if (size == 'l')
                value = va_arg(ap, unsigned long);
            else if (size == 'z')
                value = va_arg(ap, size_t);
            else if (isSigned)
                value = (unsigned long)(long)va_arg(ap, int);
            else
                value = va_arg(ap, unsigned);
            if (size == 'h')
                value = isSigned ? (unsigned long)(long)(short)value : (unsigned short)value;
            if (isSigned && (long)value < 0) {
                negative = 1;
                value = 0ul - value;
            }
            unsigned base = (*p == 'x' || *p == 'X') ? 16 : 10;
            const char *set = *p == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
            char *end = digits + sizeof digits;
            char *q = end;
            do {
                *--q = set[value % base];
                value /= base;
            } while (value);
            text = q;
            len = (size_t)(end - q);
            break;
        }
        case '%':
            PutChars(&out, "%", 1);
            continue;
        default:
            // Not a conversion of ours: the text stands as written and takes no argument.
            if (!*p)
                p--;
            PutChars(&out, start, (size_t)(p - start) + 1);
            continue;
        }
        size_t shown = len + (size_t)negative;
        size_t pad = width > shown ? width - shown : 0;
        if (!left && !zero)
            PutRepeated(&out, ' ', pad);
        if (negative)
            PutChars(&out, "-", 1);
        if (!left && zero)
            PutRepeated(&out, '0', pad);
        PutChars(&out, text, len);
        if (left)
            PutRepeated(&out, ' ', pad);
    }
    *out.dst = '\0';
    return out.fit;
}

int StrFormat(char *dst, size_t cap, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    int fit = StrFormatV(dst, cap, fmt, ap);
    va_end(ap);
    return fit;
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

int StrEqualNoCaseN(const char *a, const char *b, size_t n)
{
    for (size_t i = 0; i < n; i++)
        if (LowerAscii((unsigned char)a[i]) != LowerAscii((unsigned char)b[i]))
            return 0;
    return 1;
}

int IsDriveRoot(const char *s)
{
    return s[0] && s[1] == ':' && s[2] == '\\' && !s[3];
}

void StripTrailingBackslash(char *s)
{
    size_t n = strlen(s);
    // "D:" alone would name the drive's current directory, not its root.
    if (n > 0 && s[n - 1] == '\\' && !IsDriveRoot(s))
        s[n - 1] = '\0';
}

int JoinPath(char *dst, size_t cap, const char *dir, const char *name)
{
    size_t n = strlen(dir);
    int fit = StrCopy(dst, cap, dir) && (n > 0 && dir[n - 1] == '\\' ? 1 : StrAppend(dst, cap, "\\")) &&
              StrAppend(dst, cap, name);
    if (!fit && cap)
        dst[0] = '\0';
    return fit;
}

int EnsureTrailingBackslash(char *dst, size_t cap)
{
    size_t n = strlen(dst);
    if (n > 0 && dst[n - 1] == '\\')
        return 1;
    return StrAppend(dst, cap, "\\");
}
