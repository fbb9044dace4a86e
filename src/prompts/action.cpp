// The setup action: install or remove, from the switches or from the DLG_INSTALL question.
#include "action.h"

#include "../resources/resource.h"
#include "../shell/manifest.h"
#include "../shell/setup.h"
#include "../support/messages.h"
#include "../changes/record.h"

#define ACTION_LABEL_SIZE 256

int ChooseSetupAction(HWND parent, HINSTANCE instance)
{
    if (setupMode.installMode)
        return SETUP_ACTION_INSTALL;
    if (setupMode.removeMode)
        return SETUP_ACTION_REMOVE;  // removal itself finds out whether there is anything to remove
    return (int)DialogBoxParamA(instance, DLG_INSTALL, parent, InstallDlgProc, 0);
}

static void SetActionLabel(HWND dialog, int control, unsigned number)
{
    char label[ACTION_LABEL_SIZE];
    ComposeMessage(label, sizeof label, number, installManifest.productName);
    SetDlgItemTextA(dialog, control, label);
}

static int ChosenAction(HWND dialog)
{
    if (IsDlgButtonChecked(dialog, IDC_INSTALL_INSTALL) == BST_CHECKED)
        return SETUP_ACTION_INSTALL;
    if (IsDlgButtonChecked(dialog, IDC_INSTALL_REMOVE) == BST_CHECKED)
        return SETUP_ACTION_REMOVE;
    return SETUP_ACTION_EXIT;
}

INT_PTR CALLBACK InstallDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    if (message == WM_INITDIALOG) {
        CenterOnDesktop(dialog, 0);
        SetActionLabel(dialog, IDC_INSTALL_INSTALL, IDS_ACTION_INSTALL);
        SetActionLabel(dialog, IDC_INSTALL_REMOVE, IDS_ACTION_REMOVE);
        CheckRadioButton(dialog, IDC_INSTALL_INSTALL, IDC_INSTALL_REMOVE, IDC_INSTALL_INSTALL);
        // Removal is offered only when a prior install recorded its directory.
        char dir[RECORD_VALUE_SIZE];
        BOOL recorded = ReadRecordValue("DIR", "", dir, sizeof dir) > 0;
        EnableWindow(GetDlgItem(dialog, IDC_INSTALL_REMOVE), recorded);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        EndDialog(dialog, ChosenAction(dialog));
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, SETUP_ACTION_EXIT);
        return TRUE;
    }
    return FALSE;
}
