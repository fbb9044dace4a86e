// A run's private working directory under the temporary directory: made fresh under a name
// nobody can know in advance, writable by SYSTEM and Administrators only, recorded.
#ifndef TW_WORKDIR_H
#define TW_WORKDIR_H

#include <windows.h>
#include <stddef.h>

// Creates a new directory in the temporary directory and puts its path, with a trailing
// backslash, into out. The name is random and tried again when it exists; CreateDirectoryA
// never opens one that is there. On NT the directory gets a protected DACL for SYSTEM and
// Administrators only. In a recorded run the journal holds it (as a root and as a directory
// made), so that a killed run's directory goes at the next start. 0 (out empty) on failure.
int CreateWorkingDirectory(char *out, size_t cap);

// Deletes the working directory, which must be empty by then. 1 when it is gone.
int RemoveWorkingDirectory(const char *dir);

// Moves the file open as file (with DELETE access) out of the working directory dir to a
// fresh random name beside it, then removes the emptied directory. For a program just started
// from there: a running program cannot be deleted, but it can be renamed, and a handle that
// deletes it on close follows it to the new name. 1 when the directory is gone.
int MoveOutOfWorkingDirectory(HANDLE file, const char *dir);

#endif
