// Paths that Windows gives through ANSI calls, checked against the wide calls where the system
// has them: a name outside the code page (an account named in another script) comes back from
// an ANSI call with '?' for each character it lacks, and names no file.
#ifndef TW_WIDEPATH_H
#define TW_WIDEPATH_H

#include <windows.h>
#include <stddef.h>

// Which path, for the log; their names are the messages from IDS_PATH_TEMP on, in this order.
enum AnsiPathKind { ANSI_PATH_TEMP, ANSI_PATH_PROGRAM, ANSI_PATH_CURRENT, ANSI_PATH_START_MENU, ANSI_PATH_KINDS };

// Checks ansi (cap bytes, what an ANSI call gave) against wide (the wide call's answer to the
// same question; null when the system has no such call or it failed). Where ansi lost
// characters it becomes the short form of wide, else fallBack (null when the caller has no
// other place); with neither it is emptied. Each choice but the first is logged once, naming
// the path and why. 1 when ansi holds a path to use.
int UseAnsiPath(AnsiPathKind kind, char *ansi, size_t cap, const WCHAR *wide, const char *fallBack);

// The temporary directory with its trailing backslash, as UseAnsiPath leaves it; where it has
// no usable ANSI form, the Windows directory's Temp instead. 0 (out empty) when none is known.
int UsableTempPath(char *out, size_t cap);
// This program's file. 0 (out empty) when it has no usable ANSI form.
int UsableModulePath(char *out, size_t cap);
// The current directory. 0 (out empty) when it has no usable ANSI form.
int UsableCurrentDirectory(char *out, size_t cap);

#endif
