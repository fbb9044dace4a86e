// The directory prompt DLG_GETDIR and the texts it shares with the directory browser.
#ifndef TW_GETDIR_H
#define TW_GETDIR_H

#include <windows.h>

#define PROMPT_TEXT_SIZE 512
#define PROMPT_TITLE_SIZE 256
#define BROWSE_RESULT_SIZE 260

// Neither dialog gets a creation parameter, so their texts pass through this state. Callers
// set promptTitle (the caption; empty keeps the template's) and browseSelector before each
// prompt; both keep their values afterwards. One prompt exists at a time.
extern char promptText[PROMPT_TEXT_SIZE];          // the question
extern char promptEditText[PROMPT_TEXT_SIZE];      // the directory text
extern char promptTitle[PROMPT_TITLE_SIZE];
extern char browseSelector[PROMPT_TITLE_SIZE];     // the browser's hidden file name
extern char browseResult[BROWSE_RESULT_SIZE];      // the directory picked in the browser

// Asks for a directory in DLG_GETDIR of instance. Returns 1 for OK, 0 for Cancel and -1 when
// the dialog cannot be created. On a nonzero value result (at least PROMPT_TEXT_SIZE bytes,
// may be initialText itself) receives the edit text as typed, at most 511 characters.
int PromptForDirectory(HWND parent, HINSTANCE instance, const char *prompt, const char *initialText,
                       char *result);

INT_PTR CALLBACK GetDirDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
