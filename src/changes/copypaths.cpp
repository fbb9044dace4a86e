// Path composition, the ".ini" guard and the SZDD header test of the copy engine.
#include "copypaths.h"

#include <string.h>

#include "../support/strbuf.h"

// Joins up to three parts; on overflow leaves an empty string rather than a cut path.
static int Join(char *out, size_t cap, const char *a, const char *b, const char *c)
{
    if (cap == 0)
        return 0;
    int fit = StrCopy(out, cap, a) && StrAppend(out, cap, b) && StrAppend(out, cap, c);
    if (!fit)
        out[0] = '\0';
    return fit;
}

int ComposeSourcePath(char *out, size_t cap, const char *sourceDir, const char *sourceName)
{
    return Join(out, cap, sourceDir, sourceName, "");
}

int ComposeTargetPath(char *out, size_t cap, const char *targetDir, const char *targetName)
{
    return JoinPath(out, cap, targetDir, targetName);
}

int ComposeCompressedPath(char *out, size_t cap, const char *sourcePath)
{
    if (!Join(out, cap, sourcePath, "", ""))
        return 0;
    size_t n = strlen(out);
    if (n > 0)
        out[n - 1] = '_';
    return 1;
}

int ComposeSiblingTempPath(char *out, size_t cap, const char *path, unsigned serial)
{
    if (cap == 0)
        return 0;
    const char *slash = strrchr(path, '\\');
    size_t dirLength = slash ? (size_t)(slash - path) + 1 : 0;
    char name[16];
    StrFormat(name, sizeof name, "~tw%04X.tmp", serial & 0xFFFFu);
    if (dirLength + strlen(name) >= cap) {
        out[0] = '\0';
        return 0;
    }
    memcpy(out, path, dirLength);
    out[dirLength] = '\0';
    return StrAppend(out, cap, name);
}

int IsSiblingTempName(const char *name)
{
    if (strlen(name) != 11 || (name[0] != '~') || !StrEqualNoCase(name + 7, ".tmp"))
        return 0;
    if ((name[1] != 't' && name[1] != 'T') || (name[2] != 'w' && name[2] != 'W'))
        return 0;
    for (int i = 3; i < 7; i++)
        if (!strchr("0123456789abcdefABCDEF", name[i]))
            return 0;
    return 1;
}

int CutToParent(char *dir)
{
    char *slash = strrchr(dir, '\\');
    if (!slash || !slash[1] || slash == dir || (slash == dir + 2 && dir[1] == ':' && !dir[3]))
        return 0;
    // A network path ends at its share: "\\server\share" holds three backslashes.
    if (dir[0] == '\\' && dir[1] == '\\') {
        int parts = 0;
        for (const char *p = dir; p < slash; p++)
            parts += *p == '\\';
        if (parts < 3)
            return 0;
    }
    // The parent of "X:\name" is the root "X:\", which keeps its backslash.
    if (slash == dir + 2 && dir[1] == ':')
        slash[1] = '\0';
    else
        *slash = '\0';
    return 1;
}

int IsIniGuarded(const char *targetPath)
{
    return strstr(targetPath, ".ini") != NULL;
}

const char *SelectTargetDir(int targetDirKind, const char *programDir, const char *dataDir,
                            const char *webDir)
{
    if (targetDirKind == 1 && dataDir && dataDir[0])
        return dataDir;
    if (targetDirKind == 2 && webDir && webDir[0])
        return webDir;
    return programDir;
}

int ReadSzddHeader(const unsigned char *head, size_t size, uint32_t *length)
{
    static const unsigned char signature[8] = {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33};
    if (size < SZDD_HEADER_SIZE || memcmp(head, signature, sizeof signature) != 0)
        return 0;
    if (head[8] != 'A')
        return -1;
    *length = (uint32_t)head[10] | (uint32_t)head[11] << 8 | (uint32_t)head[12] << 16 |
              (uint32_t)head[13] << 24;
    return 1;
}
