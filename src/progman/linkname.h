// File names for Start Menu items and groups made as shell links.
#ifndef TW_LINKNAME_H
#define TW_LINKNAME_H

#include <stddef.h>

// Makes a group or item name into one file name that cannot reach outside its folder: each
// of \ / : * ? " < > | and each control character becomes '_', and trailing dots and blanks
// are dropped (Windows drops them itself, so "x." and "x" would meet). Returns 1 with the
// name in out; 0 when nothing usable is left (empty, only dots and blanks), when the name is
// a device (CON, NUL, COM1, LPT1, ..., also with an extension), or when it does not fit cap.
int MakeLinkFileName(char *out, size_t cap, const char *name);

// 1 when the base name (before the first dot, trailing blanks ignored) names a device, which
// Windows opens instead of a file in any folder.
int IsDeviceName(const char *name);

#endif
