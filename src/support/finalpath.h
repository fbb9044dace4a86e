// Whether a file opened by name is the plain entry that the name asked for, judged from the
// final paths Windows gives for the file's handle and its directory's handle. No Windows calls.
#ifndef TW_FINALPATH_H
#define TW_FINALPATH_H

#include <stddef.h>

// The directory part of path into dir, in a form that opens that directory ("." for a bare
// name, "C:." for "C:name", "C:\" for "C:\name"), and returns the name part; null when the
// path ends in a separator or dir is too small.
const char *SplitDirectory(const char *path, char *dir, size_t cap);

// 1 when fileFinal is dirFinal joined with name, case ignored: the file lies in that
// directory under that name, not at a link's target elsewhere or under another name.
int FinalPathIsEntry(const char *fileFinal, const char *dirFinal, const char *name);

#endif
