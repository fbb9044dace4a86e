// Bounded string helpers for the fixed ANSI buffers the setup works in.
#ifndef TW_STRBUF_H
#define TW_STRBUF_H

#include <stdarg.h>
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
// StrFormat knows %s %c %d %i %u %x %X %%, the flags '-' and '0', a width, a precision for %s,
// and the sizes h, l and z; any other conversion is copied as written and takes no argument.
int StrFormat(char *dst, size_t cap, const char *fmt, ...) TW_PRINTF(3, 4);
int StrFormatV(char *dst, size_t cap, const char *fmt, va_list ap) TW_PRINTF(3, 0);

// The length of s, or cap when no terminator comes within cap bytes.
size_t StrLength(const char *s, size_t cap);

// Case-insensitive ASCII comparison, the way file and group names compare on Windows.
int StrEqualNoCase(const char *a, const char *b);
// The same over the first n characters of each, which the caller knows are there.
int StrEqualNoCaseN(const char *a, const char *b, size_t n);
// 1 for a drive's root directory as "X:\" (the drive letter is not checked).
int IsDriveRoot(const char *s);
// Removes one trailing backslash, if there is one, but the one of a drive root ("D:\").
void StripTrailingBackslash(char *s);
// dir and name joined by one backslash (none added when dir ends in one, as a root does);
// 0, dst empty, when the whole path does not fit.
int JoinPath(char *dst, size_t cap, const char *dir, const char *name);
// Appends a backslash unless the text already ends in one; 0 when it did not fit.
int EnsureTrailingBackslash(char *dst, size_t cap);

#endif
