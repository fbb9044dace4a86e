// The command of the uninstaller's relocated copy, and where its current directory lies.
#include "uninstargs.h"

#include <string.h>

#include "support/strbuf.h"

int ComposeRelocatedCommand(char *out, size_t cap, const char *copyPath, unsigned long handle, const char *tail)
{
    return StrFormat(out, cap, "\"%s\" -x %lu %s", copyPath, handle, tail ? tail : "");
}

int PathIsWithin(const char *path, const char *dir)
{
    size_t n = strlen(dir);
    while (n && dir[n - 1] == '\\')
        --n;
    if (!n || strlen(path) < n)
        return 0;
    return StrEqualNoCaseN(path, dir, n) && (path[n] == '\0' || path[n] == '\\');
}
