// The copy engine: every FileTable row expanded from the source directory into its target.
#ifndef TW_COPY_H
#define TW_COPY_H

#include <windows.h>
#include <stddef.h>
#include <stdint.h>

#include "../shell/manifest.h"

// Results of ExpandFile.
#define EXPAND_DONE 0        // expanded or copied, or nothing to do
#define EXPAND_NO_SOURCE 2   // the source opens under neither name
#define EXPAND_NO_TARGET 3   // the target cannot be written
#define EXPAND_FAILED (-1)   // both open, but the expansion failed or came out short

// diskNumber of the last row copied in this process; 0 before the first. Never reset.
extern int32_t lastCopiedDisk;

// Copies every row into the directory its targetDirKind selects, with the progress dialog.
// 1 when every row was copied or skipped as optional; 0 when a required row failed or the
// user pressed Cancel.
int CopyAllFiles(HINSTANCE instance, HWND owner, const char *sourceDir, const char *programDir,
                 const char *dataDir, const char *webDir);
// One row with its prompts: 0 when copied or given up on an optional row, 1 (fatal) when
// given up on a required one.
int CopyOneFile(FileEntry *entry, const char *sourceDir, const char *targetDir, HWND owner,
                HWND statusControl);
// One attempt at expanding sourcePath (or its compressed name) to targetPath. When record
// carries the build's record of the file (checked > 0), an expansion of any other length or
// CRC-32 is a failed one (EXPAND_FAILED) and the target stays as it was.
int ExpandFile(const char *sourcePath, const char *targetPath, const FileEntry *record = NULL);

#endif
