// The uninstaller's command line: -f programDir -d dataDir -g group, with -s and -l.
#ifndef TW_UNINSTARGS_H
#define TW_UNINSTARGS_H

#include <stddef.h>

#define UNINSTALL_DIR_SIZE 512
#define UNINSTALL_GROUP_SIZE 256

struct UninstallArgs {
    int silent;                    // -s or -q: no confirmation, no final box
    int logging;                   // -l: reports go to setup.log in the current directory
    int relocated;                 // -x: this is the copy in the temporary directory
    unsigned long originalProcess; // -x value: a handle of the original process to wait for
    char programDir[UNINSTALL_DIR_SIZE];   // -f, empty when not given
    char dataDir[UNINSTALL_DIR_SIZE];      // -d, empty when not given
    char groupName[UNINSTALL_GROUP_SIZE];  // -g, empty when not given
};

// Reads a command-line tail. The uninstall entry writes its values unquoted, so a value runs
// to the next " -f ", " -d " or " -g " (or to the end); a value in double quotes runs to the
// closing quote and is taken as it is. The switches -s, -q, -l and -x N come before -f; -s, -q and -l standing alone
// at the very end of the line are taken as switches too. Returns 0 when a value does not fit.
int ParseUninstallArgs(const char *tail, UninstallArgs *args);

// The command line of the relocated copy: "copyPath" -x handle, then the original tail.
// Returns 0 when it does not fit cap.
int ComposeRelocatedCommand(char *out, size_t cap, const char *copyPath, unsigned long handle, const char *tail);

// 1 when path is dir itself or lies below it (case ignored, trailing backslashes ignored).
int PathIsWithin(const char *path, const char *dir);

#endif
