// Default program directory by platform and version, and the refusal of NT before 3.51.
#include "version.h"

VersionDecision DecideForVersion(int known, unsigned platform, unsigned major, unsigned minor)
{
    VersionDecision d = {PROGRAM_DIR_MODERN, 0};
    if (!known)
        return d;
    if (platform != PLATFORM_WIN32S && major >= 4)
        d.programDir = PROGRAM_DIR_MODERN;
    else if (platform == PLATFORM_NT)
        d.programDir = PROGRAM_DIR_NT3;
    else
        d.programDir = PROGRAM_DIR_OTHER;
    d.refused = platform == PLATFORM_NT && major == 3 && minor < 51;
    return d;
}
