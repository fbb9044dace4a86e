// Comparing a file's final path with its directory's and the name it was opened by.
#include "finalpath.h"

#include <string.h>

#include "strbuf.h"

const char *SplitDirectory(const char *path, char *dir, size_t cap)
{
    const char *leaf = path;
    for (const char *p = path; *p; p++)
        if (*p == '\\' || *p == '/' || *p == ':')
            leaf = p + 1;
    if (!*leaf || cap == 0)
        return NULL;
    size_t n = (size_t)(leaf - path);
    if (n == 0)
        return StrCopy(dir, cap, ".") ? leaf : NULL;
    char last = path[n - 1];
    // The separator stays where it names a root ("\", "C:\") or a drive's current directory.
    int keep = n == 1 || (n == 3 && path[1] == ':') || last == ':';
    size_t take = keep ? n : n - 1;
    if (take + 2 > cap)
        return NULL;
    memcpy(dir, path, take);
    dir[take] = '\0';
    if (last == ':')
        StrAppend(dir, cap, ".");
    return leaf;
}

int FinalPathIsEntry(const char *fileFinal, const char *dirFinal, const char *name)
{
    size_t n = strlen(dirFinal);
    while (n && dirFinal[n - 1] == '\\')
        n--;
    if (!n || !*name || strchr(name, '\\') || strchr(name, '/') || strlen(fileFinal) <= n + 1)
        return 0;
    return StrEqualNoCaseN(fileFinal, dirFinal, n) && fileFinal[n] == '\\' && StrEqualNoCase(fileFinal + n + 1, name);
}
