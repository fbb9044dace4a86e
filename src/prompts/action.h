// The setup action: install or remove, from the switches or from the DLG_INSTALL question.
#ifndef TW_ACTION_H
#define TW_ACTION_H

#include <windows.h>

#define SETUP_ACTION_EXIT 0
#define SETUP_ACTION_INSTALL 1
#define SETUP_ACTION_REMOVE 2

// The install or remove switch answers at once (install first); otherwise DLG_INSTALL of
// instance asks, with removal offered only when the product's WIN.INI section holds a DIR.
// Returns a setup action, or -1 when the dialog cannot be created.
int ChooseSetupAction(HWND parent, HINSTANCE instance);

INT_PTR CALLBACK InstallDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
