// The path of the setup log.
#include "logpath.h"

#include <windows.h>

#include "cmdline.h"
#include "logfile.h"
#include "strbuf.h"
#include "widepath.h"

static char logFile[COMMAND_LOG_SIZE];

const char *SetupLogPath(void)
{
    return logFile[0] ? logFile : "setup.log";
}

int UseLogFile(const char *name)
{
    // Held as a full path, so that the log stays one file whatever the current directory. A
    // relative name is joined to the current directory's usable form: GetFullPathNameA would
    // join it to one that may have lost characters.
    char full[COMMAND_LOG_SIZE], joined[COMMAND_LOG_SIZE];
    if (name[0] != '\\' && name[0] != '/' && !(name[0] && name[1] == ':')) {
        if (!UsableCurrentDirectory(joined, sizeof joined) || !EnsureTrailingBackslash(joined, sizeof joined) ||
            !StrAppend(joined, sizeof joined, name))
            return 0;
        name = joined;
    }
    DWORD n = GetFullPathNameA(name, sizeof full, full, NULL);
    if (n == 0 || n >= sizeof full)
        return 0;
    // Tried as every line is written: a name that is a link is refused here too, not created through.
    HANDLE f = OpenLogFile(full);
    if (f == INVALID_HANDLE_VALUE)
        return 0;
    CloseHandle(f);
    return StrCopy(logFile, sizeof logFile, full);
}
