// Location of the source directory: the payload's first file, under its plain or compressed name.
#ifndef TW_SOURCE_H
#define TW_SOURCE_H

#include <windows.h>

// Makes sure sourceDir (SOURCE_PATH_SIZE bytes) holds fileName, plain or with its last
// character replaced by "_"; otherwise asks the user for another directory with DLG_GETDIR of
// instance, also in silent mode, until the file is found. Returns 1 when found, sourceDir then
// holding that directory with a trailing backslash (unless empty); 0 when the user cancelled
// or the prompt cannot be shown, sourceDir unchanged.
int LocateSource(HINSTANCE instance, HWND owner, char *sourceDir, const char *fileName);

#endif
