// The uninstaller's relocated copy and the directory test of its current directory; its command
// line (-f programDir -d dataDir -g group, -s, -l, -x N) is read by ParseCommandLine.
#ifndef TW_UNINSTARGS_H
#define TW_UNINSTARGS_H

#include <stddef.h>

#include "support/cmdline.h"

// The command line of the relocated copy: "copyPath" -x handle, then the original tail.
// Returns 0 when it does not fit cap.
int ComposeRelocatedCommand(char *out, size_t cap, const char *copyPath, unsigned long handle, const char *tail);

// 1 when path is dir itself or lies below it (case ignored, trailing backslashes ignored).
int PathIsWithin(const char *path, const char *dir);

#endif
