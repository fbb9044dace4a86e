// The directory browser: GetOpenFileNameA in its classic form, with a hook and our templates.
#include "browse.h"

#include <commdlg.h>
#include <string.h>

#include "../resources/resource.h"
#include "../shell/setup.h"
#include "../support/messages.h"
#include "../support/strbuf.h"
#include "../support/syslib.h"
#include "getdir.h"
#include "paths.h"

#define BROWSE_TEXT_SIZE 256

// The common dialogs are loaded when the browser first opens, not at start: the library brings
// others with it, and most runs never browse. It stays loaded once it is.
const char *openDialogLibrary;  // null: COMDLG32.DLL

typedef BOOL(WINAPI *OpenFileNameProc)(LPOPENFILENAMEA);

static OpenFileNameProc LoadOpenFileDialog(void)
{
    HMODULE library = LoadSystemLibrary(openDialogLibrary ? openDialogLibrary : "COMDLG32.DLL");
    return library ? (OpenFileNameProc)(void (*)(void))GetProcAddress(library, "GetOpenFileNameA") : NULL;
}

int BrowseForDirectory(HWND owner, const char *selector, const char *initialDir, char *result)
{
    if (result != selector)
        StrCopy(result, BROWSE_RESULT_SIZE, selector);

    char name[BROWSE_TEXT_SIZE];
    char filter[BROWSE_TEXT_SIZE];
    char title[BROWSE_TEXT_SIZE];
    LoadMessage(IDS_BROWSE_FILTER, name, sizeof name);
    BuildAllFilesFilter(filter, sizeof filter, name);
    LoadMessage(IDS_BROWSE_TITLE, title, sizeof title);

    OPENFILENAMEA ofn;
    memset(&ofn, 0, sizeof ofn);
    // The layout without the later additions; without OFN_EXPLORER the platform shows the
    // classic dialog with our template, and the hook sees the dialog's own messages.
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = owner;
    ofn.hInstance = moduleInstance;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = result;
    ofn.nMaxFile = BROWSE_RESULT_SIZE;
    ofn.lpstrInitialDir = initialDir;
    ofn.lpstrTitle = title;
    ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE;
    ofn.lpfnHook = BrowseHookProc;
    ofn.lpTemplateName = BrowseTemplateFor(selector);

    // On OK the result is the selector's full path in the directory the user ended in.
    // Without the library the browser fails as when the dialog cannot be shown.
    OpenFileNameProc openFileName = LoadOpenFileDialog();
    BOOL chosen = openFileName && openFileName(&ofn);
    if (chosen)
        CutToDirectory(result);
    return chosen;
}

UINT_PTR CALLBACK BrowseHookProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        // The source template has no prompt line; there this changes nothing.
        SetDlgItemTextA(dialog, IDC_BROWSE_PROMPT, promptText);
    } else if (message == WM_COMMAND && LOWORD(wParam) == IDC_BROWSE_DRIVES &&
               HIWORD(wParam) == CBN_CLOSEUP) {
        // A drive picked in the closed-up list takes effect as a selection change.
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_BROWSE_DRIVES, CBN_SELCHANGE), lParam);
    }
    return FALSE;  // the platform's dialog always does its own handling too
}
