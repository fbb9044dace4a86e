// Command-line switches and main-window geometry: the start-up decisions that need no Windows.
#include "switches.h"

#include <string.h>

SetupModeFlags ParseSwitches(const char *tail, SetupModeFlags flags)
{
    if (!tail || !*tail)
        return flags;
    // The quiet-install forms settle everything; nothing else on the line is examined.
    if (strstr(tail, "-installqu") || strstr(tail, "-installsi")) {
        flags.installMode = 1;
        flags.removeMode = 0;
        flags.silent = 1;
        return flags;
    }
    if (strstr(tail, "-i")) {
        flags.installMode = 1;
        flags.removeMode = 0;
    } else if (strstr(tail, "-r")) {
        flags.installMode = 0;
        flags.removeMode = 1;
    }
    if (strstr(tail, "-s") || strstr(tail, "-q"))
        flags.silent = 1;
    if (strstr(tail, "-l"))
        flags.logging = 1;
    return flags;
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
