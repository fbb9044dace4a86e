// The primitives that change product files: working files beside a file, keeping an old file,
// putting a file in place, and work left for the next restart. The journal records their use.
#ifndef TW_FILECHANGE_H
#define TW_FILECHANGE_H

#include <windows.h>
#include <stddef.h>

// The attributes that keep a file from being replaced or deleted; cleared before either.
#define BLOCKING_ATTRIBUTES (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)

// Takes a working name beside path: claim is tried on free names (a serial seeded once per
// process) until it succeeds (1, the name in name) or fails for another reason than the
// name being taken (0, name empty, the claim's error kept).
typedef BOOL (*WorkingNameClaim)(const char *name, void *context);
int ClaimWorkingName(const char *path, char *name, size_t cap, WorkingNameClaim claim, void *context);
// Creates a new, empty working file beside path and returns its handle (INVALID_HANDLE_VALUE
// when none can be made); its name goes to tempPath.
HANDLE CreateFileBeside(const char *path, char *tempPath, size_t cap);
// Keeps the file at path under a working name beside it (into kept) while path stays as it
// is: a hard link where the volume has them, else a copy. 0 when it cannot be kept.
int KeepFileBeside(const char *path, char *kept, size_t cap);
// The same, always as a copy: for a file that is rewritten in place (WIN.INI), which a hard
// link would follow.
int KeepCopyBeside(const char *path, char *kept, size_t cap);
// Moves the finished working file onto path in one step, replacing what is there. 1 on success.
int PutFileInPlace(const char *tempPath, const char *path);
// The temporary directory with its trailing backslash, where the run's working directories go:
// its short form where its name holds characters outside the code page, and where it has none,
// the Windows directory's Temp. 0 (out empty) when the system reports none or one too long
// for the buffer.
int TempDirectory(char *out, size_t cap);
// 1 for the errors with which Windows refuses to change a file that another program holds.
int IsInUseError(DWORD error);
// After a failed deletion of path with error: a file another program holds (not one that is
// read-only or missing) is deleted when Windows restarts instead. 1 when that was arranged.
int DeleteFileAtRestart(const char *path, DWORD error);
// Deletes the working files (and only those names) that a run killed before it ended left in
// dir, but the one named spare (may be null).
void DeleteStaleWorkingFiles(const char *dir, const char *spare = NULL);

#endif
