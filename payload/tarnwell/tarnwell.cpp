// The sample Tarnwell program: one window saying what it is and which computer it runs on.
#include <windows.h>

#include "tarnwell.h"

static INT_PTR CALLBACK MainDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG: {
        char name[MAX_COMPUTERNAME_LENGTH + 1];
        DWORD size = sizeof name;
        SetDlgItemTextA(dialog, IDC_TW_HOST, GetComputerNameA(name, &size) ? name : "(unknown)");
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand)
{
    (void)previous;
    (void)commandLine;
    (void)showCommand;
    INT_PTR r = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_TARNWELL), NULL, MainDlgProc, 0);
    return r == -1 ? 1 : 0;
}
