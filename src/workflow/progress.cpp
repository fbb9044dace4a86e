// The progress dialog DLG_COPY: its procedure, its Cancel flag, and opening and closing it.
#include "progress.h"

#include "../resources/resource.h"
#include "../shell/setup.h"
#include "../support/messages.h"

int cancelRequested;

INT_PTR CALLBACK ProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        CenterOnDesktop(dialog, 0);
        cancelRequested = 0;
        return TRUE;
    case WM_COMMAND:
        // The dialog stays open: whoever created it destroys it when the work stops.
        if (LOWORD(wParam) == IDCANCEL) {
            cancelRequested = 1;
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

HWND OpenProgressDialog(HINSTANCE instance, HWND owner)
{
    progressDialog = NULL;
    if (setupMode.silent)
        return NULL;
    progressDialog = CreateDialogParamA(instance, DLG_COPY, owner, ProgressDlgProc, 0);
    if (!progressDialog)
        return NULL;
    return GetDlgItem(progressDialog, IDC_COPY_STATUS);
}

void RefreshProgressDialog(void)
{
    if (progressDialog)
        RedrawWindow(progressDialog, NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void CloseProgressDialog(HWND owner)
{
    SetActiveWindow(owner);
    if (progressDialog)
        DestroyWindow(progressDialog);
    progressDialog = NULL;
}
