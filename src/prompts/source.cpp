// Location of the source directory: the payload's first file, under its plain or compressed name.
#include "source.h"

#include <string.h>

#include "../resources/resource.h"
#include "../support/messages.h"
#include "../support/strbuf.h"
#include "../support/unattended.h"
#include "getdir.h"
#include "paths.h"

static int EntryExists(const char *path)
{
    // Any entry counts, a directory of that name too.
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// Looks for fileName in the directory that fills the first base characters of work, which
// PrepareSearchDirectory has made long enough for it. With no directory only the compressed
// name is tried, relative to the current directory. Leaves work holding the directory again.
static int FindSourceFile(char *work, size_t cap, size_t base, const char *fileName)
{
    StrAppend(work, cap, fileName);
    int found = base > 0 && EntryExists(work);
    if (!found && strlen(work) > base) {
        ToCompressedName(work);
        found = EntryExists(work);
    }
    work[base] = '\0';
    return found;
}

// An answer that leaves no room for the file name is refused; the prompt then offers it again.
static void ReportTooLong(HWND owner, const char *fileName)
{
    char text[PROMPT_TEXT_SIZE];
    ComposeMessage(text, sizeof text, IDS_SOURCE_TOO_LONG, (unsigned)LongestSearchDirectory(SOURCE_PATH_SIZE, fileName));
    WriteSetupLog(text);
    PromptBox(owner, text, promptTitle, MB_OK | MB_ICONERROR);
}

int LocateSource(HINSTANCE instance, HWND owner, char *sourceDir, const char *fileName)
{
    char work[SOURCE_PATH_SIZE];
    char prompt[PROMPT_TEXT_SIZE];
    size_t base = 0;
    StrCopy(work, sizeof work, sourceDir);
    int usable = PrepareSearchDirectory(work, sizeof work, fileName, &base);
    LoadMessage(IDS_SOURCE_DIR_TITLE, promptTitle, sizeof promptTitle);
    StrCopy(browseSelector, sizeof browseSelector, fileName);
    LoadMessage(IDS_LOCATE_SOURCE, prompt, sizeof prompt);
    for (;;) {
        if (!usable) {
            ReportTooLong(owner, fileName);
        } else if (FindSourceFile(work, sizeof work, base, fileName)) {
            StrCopy(sourceDir, SOURCE_PATH_SIZE, work);
            return 1;
        }
        // The prompt starts with the directory just searched. When DLG_GETDIR cannot be
        // created (-1) no answer will ever come: end as on Cancel. A silent run that gets no
        // answer within the time limit ends the same way.
        if (SilentPromptSkipped(prompt))
            return 0;
        SilentPromptBegin();
        int answer = PromptForDirectory(owner, instance, prompt, work, work);
        if (SilentPromptEnd(prompt) || answer <= 0)
            return 0;
        usable = PrepareSearchDirectory(work, sizeof work, fileName, &base);
    }
}
