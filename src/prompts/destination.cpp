// The destination step: ask for the program directory until it can be created.
#include "destination.h"

#include "../resources/resource.h"
#include "../support/messages.h"
#include "../support/strbuf.h"
#include "../changes/journal.h"
#include "dirtree.h"
#include "getdir.h"

int AskDestination(HINSTANCE instance, HWND owner, char *dir)
{
    char prompt[PROMPT_TEXT_SIZE];
    LoadMessage(IDS_PROGRAM_DIR_TITLE, promptTitle, sizeof promptTitle);
    StrCopy(browseSelector, sizeof browseSelector, "a");  // any name but the source file's
    LoadMessage(IDS_ENTER_DESTINATION, prompt, sizeof prompt);
    for (;;) {
        int answer = PromptForDirectory(owner, instance, prompt, dir, dir);
        if (answer == 0)
            return 0;
        if (CreateDirectoryTree(dir))
            return 1;
        // A journal that cannot be written refuses every directory: asking again cannot help.
        if (JournalFailed())
            return 0;
        char caption[PROMPT_TEXT_SIZE];
        char text[PROMPT_TEXT_SIZE];
        LoadMessage(IDS_DEST_ERROR_CAPTION, caption, sizeof caption);
        LoadMessage(IDS_DEST_CREATE_FAILED, text, sizeof text);
        WriteSetupLog(text);
        MessageBoxA(owner, text, caption, MB_OK | MB_ICONERROR);
        // Without a dialog (-1) the same directory would be tried again for ever.
        if (answer < 0)
            return 0;
    }
}
