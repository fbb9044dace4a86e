// Composition of Program Manager commands and the uninstall command line; the group-list reply.
#include "commands.h"

#include <string.h>

#include "../support/cmdline.h"
#include "../support/strbuf.h"

namespace {

// Appends to a bounded buffer while counting the full length, the way snprintf counts.
struct Builder {
    char *out;
    size_t cap;
    size_t length;
};

void Put(Builder *b, const char *text)
{
    if (!text)
        return;
    for (; *text; text++, b->length++)
        if (b->length + 1 < b->cap)
            b->out[b->length] = *text;
}

void Quoted(Builder *b, const char *text)
{
    Put(b, "\"");
    Put(b, text);
    Put(b, "\"");
}

void QuotedWhenNeeded(Builder *b, const char *text)
{
    if (ValueNeedsQuotes(text))
        Quoted(b, text);
    else
        Put(b, text);
}

size_t Finish(Builder *b)
{
    if (b->cap > 0)
        b->out[b->length < b->cap ? b->length : b->cap - 1] = '\0';
    return b->length;
}

}  // namespace

int ValueNeedsQuotes(const char *value)
{
    if (!value || !*value)
        return 0;
    if (strpbrk(value, "[](),"))
        return 1;
    return value[0] == ' ' || value[strlen(value) - 1] == ' ';
}

int CommandValueAcceptable(const char *value)
{
    return !value || !strchr(value, '"');
}

size_t ComposeProgmanCommand(char *out, size_t cap, ProgmanCommandKind kind,
                             const char *first, const char *second, const char *third)
{
    if (!CommandValueAcceptable(first) || !CommandValueAcceptable(second) || !CommandValueAcceptable(third))
        return 0;
    Builder b = {out, cap, 0};
    switch (kind) {
    case PROGMAN_CREATE_GROUP:
        Put(&b, "[CreateGroup(");
        QuotedWhenNeeded(&b, first);
        Put(&b, ")]");
        break;
    case PROGMAN_DELETE_GROUP:
        Put(&b, "[DeleteGroup(");
        QuotedWhenNeeded(&b, first);
        Put(&b, ")]");
        break;
    case PROGMAN_SHOW_GROUP:
        Put(&b, "[ShowGroup(");
        QuotedWhenNeeded(&b, first);
        Put(&b, ",1)]");
        break;
    case PROGMAN_DELETE_ITEM:
        Put(&b, "[DeleteItem(");
        Quoted(&b, first);
        Put(&b, ")]");
        break;
    case PROGMAN_ADD_ITEM:
        Put(&b, "[AddItem(");
        Quoted(&b, first);
        Put(&b, ",");
        Quoted(&b, second);
        Put(&b, ",,,,,");
        QuotedWhenNeeded(&b, third);
        Put(&b, ")]");
        break;
    default:
        return 0;
    }
    return Finish(&b);
}

static int IsLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

size_t CopyGroupReply(char *buffer, size_t cap, const char *data, size_t size)
{
    if (cap == 0)
        return 0;
    size_t n = data ? StrLength(data, size) : 0;
    if (n > cap - 1) {
        // Keep the lines that end within the buffer: a cut right before a line break keeps
        // the line in front of it whole.
        size_t keep = cap - 1;
        if (!IsLineBreak(data[keep]))
            while (keep > 0 && !IsLineBreak(data[keep - 1]))
                keep--;
        n = keep;
    }
    if (n)
        memcpy(buffer, data, n);
    buffer[n] = '\0';
    return n;
}

char *NextGroupName(char **cursor)
{
    char *p = *cursor;
    while (*p && IsLineBreak(*p))
        p++;
    if (!*p) {
        *cursor = p;
        return nullptr;
    }
    char *name = p;
    while (*p && !IsLineBreak(*p))
        p++;
    if (*p)
        *p++ = '\0';
    *cursor = p;
    return name;
}

static void UninstallValue(Builder *b, const char *value)
{
    if (CommandValueNeedsQuotes(value))
        Quoted(b, value);
    else
        Put(b, value);
}

int GroupGoesWithProduct(const char *group, const char *productName, int made)
{
    return made > 0 || (made < 0 && StrEqualNoCase(group, productName));
}

size_t ComposeUninstallString(char *out, size_t cap, const char *programDir, const char *uninstallerBase,
                              const char *switches, const char *dataDir, const char *groupName)
{
    Builder b = {out, cap, 0};
    Put(&b, "\"");
    Put(&b, programDir);
    size_t n = strlen(programDir);
    if (!n || programDir[n - 1] != '\\')
        Put(&b, "\\");
    Put(&b, uninstallerBase);
    Put(&b, ".exe\" ");
    if (switches && *switches) {
        Put(&b, switches);
        Put(&b, " ");
    }
    Put(&b, "-f ");
    UninstallValue(&b, programDir);
    Put(&b, " -d ");
    UninstallValue(&b, dataDir);
    Put(&b, " -g ");
    UninstallValue(&b, groupName);
    return Finish(&b);
}
