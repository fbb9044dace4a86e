// The directory prompt DLG_GETDIR: a question, the directory text, OK, Cancel and Browse.
#include "getdir.h"

#include "../resources/resource.h"
#include "../support/messages.h"
#include "../support/strbuf.h"
#include "browse.h"

char promptText[PROMPT_TEXT_SIZE];
char promptEditText[PROMPT_TEXT_SIZE];
char promptTitle[PROMPT_TITLE_SIZE];
char browseSelector[PROMPT_TITLE_SIZE];
char browseResult[BROWSE_RESULT_SIZE];

int PromptForDirectory(HWND parent, HINSTANCE instance, const char *prompt, const char *initialText,
                       char *result)
{
    StrCopy(promptText, sizeof promptText, prompt);
    StrCopy(promptEditText, sizeof promptEditText, initialText);
    int answer = (int)DialogBoxParamA(instance, DLG_GETDIR, parent, GetDirDlgProc, 0);
    if (answer != 0)
        StrCopy(result, PROMPT_TEXT_SIZE, promptEditText);
    return answer;
}

static void ReadEditText(HWND dialog)
{
    GetDlgItemTextA(dialog, IDC_GETDIR_EDIT, promptEditText, sizeof promptEditText);
}

INT_PTR CALLBACK GetDirDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    if (message == WM_INITDIALOG) {
        CenterOnDesktop(dialog, 0);
        SetDlgItemTextA(dialog, IDC_GETDIR_PROMPT, promptText);
        SetDlgItemTextA(dialog, IDC_GETDIR_EDIT, promptEditText);
        if (promptTitle[0])
            SetWindowTextA(dialog, promptTitle);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        ReadEditText(dialog);
        EndDialog(dialog, 1);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, 0);
        return TRUE;
    case IDC_GETDIR_BROWSE:
        // The browser starts in what the field holds now; its answer only replaces the text,
        // which the user may still change before OK or Cancel.
        promptEditText[0] = '\0';
        ReadEditText(dialog);
        if (BrowseForDirectory(dialog, browseSelector, promptEditText, browseResult))
            SetDlgItemTextA(dialog, IDC_GETDIR_EDIT, browseResult);
        return FALSE;
    }
    return FALSE;
}
