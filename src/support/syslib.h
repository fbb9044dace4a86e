// Libraries loaded at run time, from the system directory only.
#ifndef TW_SYSLIB_H
#define TW_SYSLIB_H

#include <windows.h>

// Loads name (a bare file name such as "lz32.dll") from the system directory, never from the
// program's own directory, the current one or PATH, where anyone may have left a DLL of that
// name. Null when it is not there or will not load.
HMODULE LoadSystemLibrary(const char *name);

#endif
