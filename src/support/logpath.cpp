// The path of the setup log.
#include "logpath.h"

#include <windows.h>

#include "cmdline.h"
#include "strbuf.h"

static char logFile[COMMAND_LOG_SIZE];

const char *SetupLogPath(void)
{
    return logFile[0] ? logFile : "setup.log";
}

int UseLogFile(const char *name)
{
    // Held as a full path, so that the log stays one file whatever the current directory.
    char full[COMMAND_LOG_SIZE];
    DWORD n = GetFullPathNameA(name, sizeof full, full, NULL);
    if (n == 0 || n >= sizeof full)
        return 0;
    HANDLE f = CreateFileA(full, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (f == INVALID_HANDLE_VALUE)
        return 0;
    CloseHandle(f);
    return StrCopy(logFile, sizeof logFile, full);
}
