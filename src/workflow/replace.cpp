// Replacement of product files through renames, with the old file kept for undo.
#include "replace.h"

#include <windows.h>

#include "../support/strbuf.h"
#include "copy.h"
#include "copypaths.h"
#include "journal.h"

static BOOL MoveOnto(const char *name, void *path)
{
    return MoveFileA((const char *)path, name);
}

// Renames path to a free working name beside it, which goes to kept. 0 when it cannot.
static int MoveAside(const char *path, char *kept, size_t cap)
{
    return ClaimWorkingName(path, kept, cap, MoveOnto, (void *)path);
}

int ReplaceTarget(const char *workingPath, const char *targetPath)
{
    if (!JournalHasRoom()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return REPLACE_FAILED;
    }
    DWORD attrs = GetFileAttributesA(targetPath);
    if (attrs == INVALID_FILE_ATTRIBUTES) {
        if (!MoveFileA(workingPath, targetPath))
            return REPLACE_FAILED;
        if (!JournalFileCreated(targetPath)) {
            MoveFileA(targetPath, workingPath);
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return REPLACE_FAILED;
        }
        return REPLACE_DONE;
    }
    char kept[MAX_PATH];
    if (!MoveAside(targetPath, kept, sizeof kept)) {
        DWORD error = GetLastError();
        int inUse = (error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED) &&
                    !(attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
        SetLastError(error);
        return inUse ? REPLACE_IN_USE : REPLACE_FAILED;
    }
    if (!MoveFileA(workingPath, targetPath)) {
        DWORD error = GetLastError();
        MoveFileA(kept, targetPath);
        SetLastError(error);
        return REPLACE_FAILED;
    }
    if (!JournalFileReplaced(targetPath, kept)) {
        // Not recorded, so not made: the old file goes back.
        MoveFileA(targetPath, workingPath);
        MoveFileA(kept, targetPath);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return REPLACE_FAILED;
    }
    return REPLACE_DONE;
}

void DeleteStaleWorkingFiles(const char *dir)
{
    char pattern[MAX_PATH];
    if (!dir || !dir[0] || !StrFormat(pattern, sizeof pattern, "%s\\~tw*.tmp", dir))
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        char path[MAX_PATH];
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsSiblingTempName(found.cFileName) &&
            StrFormat(path, sizeof path, "%s\\%s", dir, found.cFileName))
            DeleteFileA(path);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}
