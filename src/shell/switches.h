// The SetupMode flags and how the command line sets them.
#ifndef TW_SWITCHES_H
#define TW_SWITCHES_H

struct SetupModeFlags {
    int installMode;
    int removeMode;
    int silent;
    int logging;
};

// Applies the switches of a command-line tail to the flags, by case-sensitive substring
// tests on the whole tail. An empty or null tail leaves them as they are.
SetupModeFlags ParseSwitches(const char *tail, SetupModeFlags flags);

// What the silent flag implies once the switches are read: install unless removing.
SetupModeFlags ApplySilentDefault(SetupModeFlags flags);

struct WindowRect {
    int x, y, width, height;
};

// The main window's size and place for a desktop rectangle: four fifths of each side,
// at least 600 x 400, centred on the desktop's right and bottom edges.
WindowRect MainWindowRect(int deskLeft, int deskTop, int deskRight, int deskBottom);

#endif
