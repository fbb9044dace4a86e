// The modeless progress dialog DLG_COPY shown while the payload is extracted and copied.
#ifndef TW_PROGRESS_H
#define TW_PROGRESS_H

#include <windows.h>

// Set by the dialog's Cancel (button, Escape or close box); cleared whenever a dialog is
// initialised. The copy loop reads it before each row.
extern int cancelRequested;

INT_PTR CALLBACK ProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Creates DLG_COPY owned by owner and keeps it in progressDialog; in silent mode none is
// created. Returns the dialog's status line, or null when there is no dialog.
HWND OpenProgressDialog(HINSTANCE instance, HWND owner);
// Paints the dialog now, for work that does not pump messages between its steps.
void RefreshProgressDialog(void);
// Gives the activation back to owner and destroys the dialog, if there is one.
void CloseProgressDialog(HWND owner);

#endif
