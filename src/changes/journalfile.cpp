// The journal file's line format, its hex and value lists, and the checks of what it names.
#include "journalfile.h"

#include <string.h>

#include "../support/crc32.h"
#include "../support/strbuf.h"
#include "copypaths.h"

static int FieldClean(const char *field)
{
    return strpbrk(field, "\t\r\n") == NULL;
}

size_t FormatJournalEntry(char *out, size_t cap, char kind, const char *field1, const char *field2)
{
    if (cap == 0)
        return 0;
    out[0] = '\0';
    if (!FieldClean(field1) || !FieldClean(field2) || (unsigned char)kind <= ' ')
        return 0;
    char head[2] = {kind, '\0'};
    if (!StrCopy(out, cap, head) || !StrAppend(out, cap, "\t") || !StrAppend(out, cap, field1) ||
        !StrAppend(out, cap, "\t") || !StrAppend(out, cap, field2)) {
        out[0] = '\0';
        return 0;
    }
    char tail[16];
    StrFormat(tail, sizeof tail, "\t%08lX\n", (unsigned long)Crc32(0, out, strlen(out)));
    if (!StrAppend(out, cap, tail)) {
        out[0] = '\0';
        return 0;
    }
    return strlen(out);
}

static int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

int ReadJournalEntry(const char *text, size_t size, size_t *pos, JournalEntry *entry)
{
    size_t start = *pos;
    if (start >= size)
        return 0;
    const char *line = text + start;
    const char *end = (const char *)memchr(line, '\n', size - start);
    if (!end)
        return 0;  // cut short by the end of the file
    size_t length = (size_t)(end - line);
    // kind, tab, two fields with a tab after each, eight hex digits
    // Only what FormatJournalEntry writes is read: no NUL or CR, upper-case hex.
    if (length < 12 || line[1] != '\t' || line[length - 9] != '\t' || memchr(line, '\0', length) ||
        memchr(line, '\r', length))
        return 0;
    size_t body = length - 9;
    const char *tab = (const char *)memchr(line + 2, '\t', body - 2);
    if (!tab || memchr(tab + 1, '\t', (size_t)(line + body - tab - 1)))
        return 0;
    uint32_t stated = 0;
    for (size_t i = body + 1; i < length; i++) {
        int d = HexDigit(line[i]);
        if (d < 0 || (line[i] >= 'a' && line[i] <= 'f'))
            return 0;
        stated = stated << 4 | (uint32_t)d;
    }
    if (Crc32(0, line, body) != stated)
        return 0;
    entry->kind = line[0];
    entry->field1 = line + 2;
    entry->length1 = (size_t)(tab - line - 2);
    entry->field2 = tab + 1;
    entry->length2 = (size_t)(line + body - tab - 1);
    *pos = start + length + 1;
    return 1;
}

int CopyJournalField(char *out, size_t cap, const char *field, size_t length)
{
    if (cap == 0)
        return 0;
    if (length >= cap) {
        out[0] = '\0';
        return 0;
    }
    memcpy(out, field, length);
    out[length] = '\0';
    return 1;
}

int JournalRootAcceptable(const char *dir)
{
    char c = dir[0];
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) || dir[1] != ':' || dir[2] != '\\')
        return 0;
    // Every part after the drive must be a plain name.
    const char *p = dir + 3;
    while (*p) {
        const char *slash = strchr(p, '\\');
        size_t n = slash ? (size_t)(slash - p) : strlen(p);
        if (n == 0 || (n == 1 && p[0] == '.') || (n == 2 && p[0] == '.' && p[1] == '.') || memchr(p, '/', n))
            return 0;
        if (!slash)
            break;
        p = slash + 1;
    }
    return 1;
}

// Length of path's directory (before its last backslash); 0 when it has none or no name after it.
static size_t DirectoryLength(const char *path)
{
    const char *slash = strrchr(path, '\\');
    if (!slash || !slash[1])
        return 0;
    return (size_t)(slash - path);
}

// 1 when path's directory is one of the roots and its name is a plain one.
static int DirectlyInRoot(const char *path, const char *const *roots, int rootCount)
{
    size_t dirLength = DirectoryLength(path);
    const char *name = path + dirLength + 1;
    if (dirLength == 0 || !strcmp(name, ".") || !strcmp(name, "..") || strchr(name, '/') || strchr(name, ':'))
        return 0;
    // A drive root is written with its backslash ("D:\"), which its file's directory part lacks.
    for (int i = 0; i < rootCount; i++) {
        size_t r = strlen(roots[i]);
        if (r > 0 && roots[i][r - 1] == '\\')
            r--;
        if (r == dirLength && StrEqualNoCaseN(roots[i], path, dirLength))
            return 1;
    }
    return 0;
}

// A group or item name as the install sends it: not empty, no double quote (no command could
// carry it), no control character.
static int ProgmanNameAcceptable(const char *name)
{
    if (!name[0] || strchr(name, '"'))
        return 0;
    for (const char *p = name; *p; p++)
        if ((unsigned char)*p < ' ')
            return 0;
    return 1;
}

int JournalChangeAllowed(char kind, const char *path, const char *aside, const char *const *roots, int rootCount)
{
    if (kind == JOURNAL_GROUP)
        return ProgmanNameAcceptable(path) && aside && (!strcmp(aside, "0") || !strcmp(aside, "1"));
    if (kind == JOURNAL_ITEM) {
        if (!ProgmanNameAcceptable(path) || !aside)
            return 0;
        const char *bar = strchr(aside, '|');
        return !aside[0] || (bar && bar > aside && !strchr(aside, '"') && !strchr(bar + 1, '|'));
    }
    if (kind == JOURNAL_DIRECTORY) {
        if (!JournalRootAcceptable(path))
            return 0;
        size_t n = strlen(path);
        for (int i = 0; i < rootCount; i++) {
            size_t r = strlen(roots[i]);
            if ((r == n || (r > n && roots[i][n] == '\\')) && StrEqualNoCaseN(roots[i], path, n))
                return 1;
        }
        return 0;
    }
    if (kind != JOURNAL_FILE_CREATED && kind != JOURNAL_FILE_REPLACED && kind != JOURNAL_PENDING &&
        kind != JOURNAL_ATTRIBUTES)
        return 0;
    if (!DirectlyInRoot(path, roots, rootCount))
        return 0;
    if (kind == JOURNAL_FILE_CREATED)
        return 1;
    uint32_t attributes;
    if (kind == JOURNAL_ATTRIBUTES)
        return aside && ParseJournalAttributes(aside, &attributes);
    size_t dirLength = DirectoryLength(path);
    return aside && strlen(aside) > dirLength && StrEqualNoCaseN(aside, path, dirLength + 1) &&
           IsSiblingTempName(aside + dirLength + 1);
}

int ParseJournalAttributes(const char *aside, uint32_t *attributes)
{
    uint32_t value = 0;
    for (int i = 0; i < 8; i++) {
        int d = HexDigit(aside[i]);
        if (d < 0 || (aside[i] >= 'a' && aside[i] <= 'f'))
            return 0;
        value = value << 4 | (uint32_t)d;
    }
    if (aside[8])
        return 0;
    *attributes = value;
    return 1;
}

int HexEncode(char *out, size_t cap, const void *data, size_t size)
{
    static const char digits[] = "0123456789ABCDEF";
    if (cap == 0 || size > (cap - 1) / 2) {
        if (cap)
            out[0] = '\0';
        return 0;
    }
    const unsigned char *bytes = (const unsigned char *)data;
    for (size_t i = 0; i < size; i++) {
        out[2 * i] = digits[bytes[i] >> 4];
        out[2 * i + 1] = digits[bytes[i] & 15];
    }
    out[2 * size] = '\0';
    return 1;
}

long HexDecode(unsigned char *out, size_t cap, const char *hex, size_t length)
{
    if (length % 2 || length / 2 > cap)
        return -1;
    for (size_t i = 0; i < length; i += 2) {
        int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return -1;
        out[i / 2] = (unsigned char)(hi << 4 | lo);
    }
    return (long)(length / 2);
}

static void Put32(unsigned char *p, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        p[i] = (unsigned char)(v >> (8 * i));
}

static uint32_t Get32(const unsigned char *p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

int AppendJournalValue(unsigned char *list, size_t cap, size_t *used, const char *name, uint32_t type,
                       const void *data, uint32_t size)
{
    size_t nameLength = strlen(name);
    if (nameLength > 255 || *used > cap || cap - *used < 1 + nameLength + 8 || cap - *used - 1 - nameLength - 8 < size)
        return 0;
    unsigned char *p = list + *used;
    p[0] = (unsigned char)nameLength;
    memcpy(p + 1, name, nameLength);
    Put32(p + 1 + nameLength, type);
    Put32(p + 5 + nameLength, size);
    if (size)
        memcpy(p + 9 + nameLength, data, size);
    *used += 9 + nameLength + size;
    return 1;
}

int NextJournalValue(const unsigned char *list, size_t size, size_t *pos, JournalValue *value)
{
    size_t at = *pos;
    if (at >= size)
        return 0;
    size_t nameLength = list[at];
    if (size - at < 9 + nameLength)
        return 0;
    uint32_t dataSize = Get32(list + at + 5 + nameLength);
    if (size - at - 9 - nameLength < dataSize)
        return 0;
    memcpy(value->name, list + at + 1, nameLength);
    value->name[nameLength] = '\0';
    value->type = Get32(list + at + 1 + nameLength);
    value->size = dataSize;
    value->data = list + at + 9 + nameLength;
    *pos = at + 9 + nameLength + dataSize;
    return 1;
}
