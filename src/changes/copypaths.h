// Paths and decisions of extraction and the copy engine that need no Windows calls.
#ifndef TW_COPYPATHS_H
#define TW_COPYPATHS_H

#include <stddef.h>
#include <stdint.h>

// Capacity of every composed path: 255 characters and the terminator.
#define COPY_PATH_SIZE 256

// Each Compose function returns 1 when the whole path fit in cap bytes. When it did not,
// out holds the empty string and the result is 0: a cut path would name another file.

// sourceDir carries its trailing backslash and is joined to the name directly.
int ComposeSourcePath(char *out, size_t cap, const char *sourceDir, const char *sourceName);
// targetDir has no trailing backslash but as a drive root ("D:\"); one backslash separates it
// from the name.
int ComposeTargetPath(char *out, size_t cap, const char *targetDir, const char *targetName);
// sourcePath with its last character replaced by '_', the name a compressed file is stored
// under ("tarnwell.ex_"); sourcePath itself is left as it is.
int ComposeCompressedPath(char *out, size_t cap, const char *sourcePath);
// A working name beside path (same directory): "~tw" and four hex digits of serial, ".tmp".
int ComposeSiblingTempPath(char *out, size_t cap, const char *path, unsigned serial);
// 1 when a bare file name is one that ComposeSiblingTempPath makes (case ignored): the only
// names that a later run may take for leftovers of a run that was killed.
int IsSiblingTempName(const char *name);

// Cuts dir (no trailing backslash, "X:\" for a root) to its parent: "C:\Apps\Net" becomes
// "C:\Apps", "C:\Apps" becomes "C:\". 0, dir unchanged, when dir is a drive root or has no
// parent to name.
int CutToParent(char *dir);

// An existing target whose path holds ".ini" (case-sensitive, anywhere) is not replaced
// without asking.
int IsIniGuarded(const char *targetPath);

// The directory a row's targetDirKind selects: 1 data, 2 web, anything else the program
// directory. A missing data or web directory falls back to the program directory.
const char *SelectTargetDir(int targetDirKind, const char *programDir, const char *dataDir,
                            const char *webDir);

#define SZDD_HEADER_SIZE 14

// Reads the head of a file: 1 when it is an SZDD file of mode 'A' (the expanded length is
// stored in *length), 0 when it carries no SZDD signature (a plain file, copied unchanged),
// -1 when it has the signature but another mode, which nothing here can expand.
int ReadSzddHeader(const unsigned char *head, size_t size, uint32_t *length);

#endif
