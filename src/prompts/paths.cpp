// Text logic of the directory prompts: search paths, compressed names and the browser's choices.
#include "paths.h"

#include <string.h>

#include "../resources/resource.h"
#include "../support/strbuf.h"

int PrepareSearchDirectory(char *dir, size_t cap, const char *fileName, size_t *baseLength)
{
    if (cap == 0)
        return 0;
    size_t len = StrLength(dir, cap);
    if (len == cap)
        return 0;
    size_t base = len;
    if (len > 0 && dir[len - 1] != '\\')
        base++;
    if (base + strlen(fileName) > cap - 1)
        return 0;
    if (base > len) {
        dir[len] = '\\';
        dir[base] = '\0';
    }
    *baseLength = base;
    return 1;
}

size_t LongestSearchDirectory(size_t cap, const char *fileName)
{
    size_t name = strlen(fileName);
    return cap < name + 2 ? 0 : cap - name - 2;
}

void ToCompressedName(char *path)
{
    size_t len = strlen(path);
    if (len > 0)
        path[len - 1] = '_';
}

char *LastBackslash(char *path)
{
    return strrchr(path, '\\');
}

void CutToDirectory(char *path)
{
    char *cut = LastBackslash(path);
    if (cut)
        *cut = '\0';
}

const char *BrowseTemplateFor(const char *selector)
{
    return StrEqualNoCase(selector, SOURCE_SELECTOR) ? DLG_GETSRCDIR : DLG_BROWSE;
}

int BuildAllFilesFilter(char *out, size_t cap, const char *name)
{
    static const char pattern[] = " (*.*)|*.*||";  // each "|" becomes a zero byte
    const size_t patternLen = sizeof pattern - 1;
    if (cap < patternLen + 1) {
        if (cap > 0)
            memset(out, 0, cap);
        return 0;
    }
    int whole = StrCopy(out, cap - patternLen, name);
    StrAppend(out, cap, pattern);
    for (char *p = out; *p; p++)
        if (*p == '|')
            *p = '\0';
    return whole;
}
