// Whether WIN.INI came out of a rewrite whole: the product's section as written, every other
// line as it was.
#ifndef TW_PROFILECHECK_H
#define TW_PROFILECHECK_H

#include <stddef.h>

// before and after are the file's bytes before and after the product's section was written.
// 1 when after holds, in section, each keys[i]=values[i] (none for a section deleted) (keys compared without regard to case,
// values exactly, white space around them aside), and the lines outside section are those of
// before, in order (blank lines and white space at the ends of a line and around "=" aside,
// which the profile functions do not keep). A UTF-16 file is not judged (1); in a UTF-8 one
// only the keys' presence is.
int ProfileRewriteIntact(const char *before, size_t beforeSize, const char *after, size_t afterSize,
                         const char *section, const char *const *keys, const char *const *values, int count);

#endif
