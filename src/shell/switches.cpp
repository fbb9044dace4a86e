// Command-line switches and main-window geometry: the start-up decisions that need no Windows.
#include "switches.h"

#include <string.h>

#include "../progman/linkname.h"

SetupModeFlags ModeFromCommand(const CommandLine *line, SetupModeFlags flags)
{
    unsigned w = line->words;
    if (line->logFile[0])
        flags.logging = 1;
    // The quiet-install forms settle the mode; no other mode switch is examined.
    if (w & WORDS_INSTALL_QUIET) {
        flags.installMode = 1;
        flags.removeMode = 0;
        flags.silent = 1;
        return flags;
    }
    if (w & WORDS_I) {
        flags.installMode = 1;
        flags.removeMode = 0;
    } else if (w & WORDS_R) {
        flags.installMode = 0;
        flags.removeMode = 1;
    }
    if (w & (WORDS_S | WORDS_Q))
        flags.silent = 1;
    if (w & WORDS_L)
        flags.logging = 1;
    return flags;
}

SetupModeFlags ParseSwitches(const char *tail, SetupModeFlags flags)
{
    CommandLine line;
    ParseCommandLine(tail, &line);
    return ModeFromCommand(&line, flags);
}

// 1 when each part of path (a run up to a backslash; one trailing backslash allowed) is a name
// Windows can create: no character it refuses, no trailing dot or blank, not "." or "..",
// not a device. parts counts them.
static int PartsAllowed(const char *path, int *parts)
{
    *parts = 0;
    for (const char *p = path; *p;) {
        size_t n = strcspn(p, "\\");
        if (n == 0)
            return 0;
        char part[COMMAND_DIR_SIZE];
        if (n >= sizeof part)
            return 0;
        memcpy(part, p, n);
        part[n] = '\0';
        for (size_t i = 0; i < n; i++)
            if ((unsigned char)part[i] < 32 || strchr("<>:\"|?*/", part[i]))
                return 0;
        if (part[n - 1] == '.' || part[n - 1] == ' ' || IsDeviceName(part))
            return 0;
        ++*parts;
        p += n;
        if (*p == '\\')
            ++p;
    }
    return 1;
}

// Checks a -f or -d directory; 0 with the line's error set.
static int CheckDirectory(CommandLine *line, const char *name, const char *dir)
{
    if (!dir[0])
        return 1;
    int parts = 0;
    if (strlen(dir) > COMMAND_VALUE_MAX) {
        RefuseCommandValue(line, COMMAND_TOO_LONG, name, dir);
    } else if (dir[0] == '\\' && dir[1] == '\\') {
        // \\server\share and what lies below.
        if (!PartsAllowed(dir + 2, &parts))
            RefuseCommandValue(line, COMMAND_BAD_NAME, name, dir);
        else if (parts < 2)
            RefuseCommandValue(line, COMMAND_NOT_ABSOLUTE, name, dir);
    } else if (!((dir[0] | 0x20) >= 'a' && (dir[0] | 0x20) <= 'z' && dir[1] == ':' && dir[2] == '\\')) {
        RefuseCommandValue(line, COMMAND_NOT_ABSOLUTE, name, dir);
    } else if (!PartsAllowed(dir + 3, &parts)) {
        RefuseCommandValue(line, COMMAND_BAD_NAME, name, dir);
    }
    return line->error == COMMAND_OK;
}

int CheckCommandValues(CommandLine *line)
{
    if (line->error)
        return 0;
    if (!CheckDirectory(line, "-f", line->programDir) || !CheckDirectory(line, "-d", line->dataDir))
        return 0;
    const char *g = line->groupName;
    char folder[COMMAND_GROUP_SIZE];
    if (strlen(g) > COMMAND_VALUE_MAX)
        RefuseCommandValue(line, COMMAND_TOO_LONG, "-g", g);
    else if (strchr(g, '"'))
        RefuseCommandValue(line, COMMAND_BAD_NAME, "-g", g);
    else if (g[0] && !MakeLinkFileName(folder, sizeof folder, g))
        RefuseCommandValue(line, COMMAND_BAD_GROUP, "-g", g);
    if (line->error)
        return 0;
    // The log may be relative to the current directory, as setup.log is.
    const char *log = line->logFile;
    int parts = 0;
    if (log[0] == '\\' && log[1] == '\\')
        log += 2;
    else if (log[0] && log[1] == ':')
        log += log[2] == '\\' ? 3 : 2;
    else if (log[0] == '\\')
        log += 1;
    if (line->logFile[0] && (!PartsAllowed(log, &parts) || parts == 0 || log[strlen(log) - 1] == '\\'))
        RefuseCommandValue(line, COMMAND_BAD_NAME, "-log", line->logFile);
    return line->error == COMMAND_OK;
}

SetupModeFlags ApplySilentDefault(SetupModeFlags flags)
{
    if (flags.silent && !flags.removeMode)
        flags.installMode = 1;
    return flags;
}

WindowRect MainWindowRect(int deskLeft, int deskTop, int deskRight, int deskBottom)
{
    WindowRect r;
    r.width = 4 * ((deskRight - deskLeft) / 5);
    if (r.width < 600)
        r.width = 600;
    r.height = 4 * ((deskBottom - deskTop) / 5);
    if (r.height < 400)
        r.height = 400;
    r.x = (deskRight - r.width) / 2;
    r.y = (deskBottom - r.height) / 2;
    return r;
}
