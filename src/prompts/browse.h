// The directory browser: the classic open-file dialog with a template that hides the file name.
#ifndef TW_BROWSE_H
#define TW_BROWSE_H

#include <windows.h>

// Lets the user pick a directory, starting in initialDir. The selector, a fixed file name, is
// put into the hidden file-name field and picks the template. Returns nonzero for OK, with
// the directory in result (BROWSE_RESULT_SIZE bytes, "D:" for a drive root); 0 on Cancel or
// any failure. The platform's dialog changes the current directory as the user moves.
int BrowseForDirectory(HWND owner, const char *selector, const char *initialDir, char *result);

// The library the browser's dialog comes from, loaded on first use.
extern const char *openDialogLibrary;  // null: COMDLG32.DLL

UINT_PTR CALLBACK BrowseHookProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
