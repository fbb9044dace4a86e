// The platform rule of the install: which default program directory, and which systems are refused.
#ifndef TW_VERSION_H
#define TW_VERSION_H

#define PLATFORM_WIN32S 0
#define PLATFORM_WINDOWS 1
#define PLATFORM_NT 2

enum DefaultProgramDir { PROGRAM_DIR_MODERN, PROGRAM_DIR_NT3, PROGRAM_DIR_OTHER };

struct VersionDecision {
    DefaultProgramDir programDir;
    int refused;    // NT before 3.51
};

// known is 0 when the version could not be read: then the modern default, nothing refused.
VersionDecision DecideForVersion(int known, unsigned platform, unsigned major, unsigned minor);

#endif
