// Creation of a directory together with its missing parents, reporting each level that fails.
#include "dirtree.h"

#include <windows.h>

#include "../resources/resource.h"
#include "../support/format.h"
#include "../support/messages.h"
#include "../support/unattended.h"
#include "../changes/copypaths.h"
#include "../changes/journal.h"
#include "../support/strbuf.h"
#include "paths.h"

#define DIRTREE_TEXT_SIZE 256
#define MADE_LIMIT 16

// The directories this process created, for the record of what the install made.
static char made[MADE_LIMIT][MAX_PATH];
static int madeCount;

// A directory made here goes into the journal before it is made, so that an install that
// fails (or is killed) removes it again; one the journal cannot record is not made. An
// existing entry counts only when it is a directory: a file of that name would have the
// install copy into a path that cannot exist.
static int CreateOneDirectory(const char *path, DWORD *error)
{
    DWORD attrs = GetFileAttributesA(path);
    if (attrs != INVALID_FILE_ATTRIBUTES) {
        *error = ERROR_ALREADY_EXISTS;
        return (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    if (!JournalDirectoryCreated(path)) {
        *error = ERROR_NOT_ENOUGH_MEMORY;
        return 0;
    }
    if (CreateDirectoryA(path, NULL)) {
        if (madeCount < MADE_LIMIT && StrCopy(made[madeCount], MAX_PATH, path))
            StripTrailingBackslash(made[madeCount++]);
        return 1;
    }
    *error = GetLastError();
    JournalNotMade();
    if (*error != ERROR_ALREADY_EXISTS)
        return 0;
    attrs = GetFileAttributesA(path);
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

// The box of a failed level: no owner, shown in every mode and not logged, so that a failure
// during a silent install is still seen; unanswered in a silent run, it closes itself.
static void ReportCreationFailure(const char *path, DWORD error)
{
    char buffer[DIRTREE_TEXT_SIZE];
    char text[DIRTREE_TEXT_SIZE] = "";
    LoadMessage(IDS_CREATE_DIR_FAILED, buffer, sizeof buffer);
    // A fallback text has no inserts, so expanding it unconditionally leaves it as it is.
    FormatMessageText(text, sizeof text, buffer, path, (unsigned)error);
    LoadMessage(IDS_INSTALL_CAPTION, buffer, sizeof buffer);
    PromptBox(NULL, text, buffer, MB_OK | MB_ICONERROR);
}

int LevelsMade(const char *path)
{
    char dir[MAX_PATH];
    if (!StrCopy(dir, sizeof dir, path))
        return 0;
    StripTrailingBackslash(dir);
    int levels = 0;
    for (;;) {
        int found = 0;
        for (int i = 0; i < madeCount && !found; i++)
            found = StrEqualNoCase(made[i], dir);
        if (!found)
            return levels;
        levels++;
        if (!CutToParent(dir))
            return levels;
    }
}

int CreateDirectoryTree(char *path)
{
    DWORD error = 0;
    if (CreateOneDirectory(path, &error))
        return 1;
    char *split = LastBackslash(path);
    if (split) {
        // The parent reports its own failure; the final attempt here decides.
        *split = '\0';
        CreateDirectoryTree(path);
        *split = '\\';
        if (CreateOneDirectory(path, &error))
            return 1;
    }
    // A journal that cannot be written has said so in the log; no answer to a box would help.
    if (!JournalFailed())
        ReportCreationFailure(path, error);
    return 0;
}
