// Libraries loaded at run time, from the system directory only.
#ifndef TW_SYSLIB_H
#define TW_SYSLIB_H

#include <windows.h>

// Loads name (a bare file name such as "lz32.dll") from the system directory, never from the
// program's own directory, the current one or PATH, where anyone may have left a DLL of that
// name. Null when it is not there or will not load.
HMODULE LoadSystemLibrary(const char *name);

// Makes the controls of Common Controls 6, which the manifest asks for, ready for the dialogs
// where Windows does not do so itself (XP). Nothing happens where the library cannot be had.
void LoadCommonControls(void);

#endif
