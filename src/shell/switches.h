// The SetupMode flags, how the command line sets them, and the checks of its values.
#ifndef TW_SWITCHES_H
#define TW_SWITCHES_H

#include "../support/cmdline.h"

struct SetupModeFlags {
    int installMode;
    int removeMode;
    int silent;
    int logging;
};

// Applies the mode switches of a read command line to the flags, by the case-sensitive
// substring tests on the words that are not values; -log turns logging on. A line without
// words leaves the flags as they are.
SetupModeFlags ModeFromCommand(const CommandLine *line, SetupModeFlags flags);

// The same for a command-line tail, read with ParseCommandLine.
SetupModeFlags ParseSwitches(const char *tail, SetupModeFlags flags);

// What the silent flag implies once the switches are read: install unless removing.
SetupModeFlags ApplySilentDefault(SetupModeFlags flags);

// The setup's checks of the values: -f and -d absolute (a drive or a \\server\share), without
// a character or a device name that Windows refuses, "." or ".." or an empty part; a group that
// can be a folder and holds no double quote; a -log name without such characters; directories
// and group no longer than the record holds. Returns 0 with the line's error set.
int CheckCommandValues(CommandLine *line);

struct WindowRect {
    int x, y, width, height;
};

// The main window's size and place for a desktop rectangle: four fifths of each side,
// at least 600 x 400, centred on the desktop's right and bottom edges.
WindowRect MainWindowRect(int deskLeft, int deskTop, int deskRight, int deskBottom);

#endif
