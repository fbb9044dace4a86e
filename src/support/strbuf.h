// Bounded string helpers for the fixed ANSI buffers the setup works in.
#ifndef TW_STRBUF_H
#define TW_STRBUF_H

#include <stddef.h>

#if defined(__clang__)
#define TW_PRINTF(f, a) __attribute__((format(printf, f, a)))
#elif defined(__GNUC__)
#define TW_PRINTF(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define TW_PRINTF(f, a)
#endif

// Each returns 1 when the whole result fit and 0 when it was cut to cap - 1 characters.
// The destination is always terminated when cap > 0; a cut never splits nothing else.
int StrCopy(char *dst, size_t cap, const char *src);
int StrAppend(char *dst, size_t cap, const char *src);
int StrFormat(char *dst, size_t cap, const char *fmt, ...) TW_PRINTF(3, 4);

// Case-insensitive ASCII comparison, the way file and group names compare on Windows.
int StrEqualNoCase(const char *a, const char *b);
// Removes one trailing backslash, if there is one.
void StripTrailingBackslash(char *s);
// Appends a backslash unless the text already ends in one; 0 when it did not fit.
int EnsureTrailingBackslash(char *dst, size_t cap);

#endif
