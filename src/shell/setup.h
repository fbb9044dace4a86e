// Process-wide state of the setup: mode flags, module and window handles.
#ifndef TW_SETUP_H
#define TW_SETUP_H

#include <windows.h>

#include "switches.h"

extern SetupModeFlags setupMode;
// The command line as read at start-up: the directories, group and log it names.
extern CommandLine setupCommand;
extern HINSTANCE moduleInstance;
extern HWND mainWindow;
// The modeless DLG_COPY dialog while extraction or copying shows it, else null.
extern HWND progressDialog;

// Exit codes of the process, for the scripts that run it: the workflow sets setupExitCode.
#define EXIT_SETUP_OK 0
#define EXIT_SETUP_CANCELLED 1602
#define EXIT_SETUP_FAILED 1603
// Succeeded, but files in use are finished when Windows restarts.
#define EXIT_SETUP_RESTART 3010
// Another run of the setup or the uninstaller is in progress: nothing was done.
#define EXIT_SETUP_BUSY 1618
// The command line cannot be used: nothing was done.
#define EXIT_SETUP_BAD_COMMAND 1639
extern int setupExitCode;

// The entry routine: start-up, message loop, exit code.
int SetupMain(HINSTANCE instance, HINSTANCE previousInstance, const char *commandLine, int showCommand);

// Start of a run of the setup or the uninstaller: takes the lock that allows one run at a time
// and undoes (or finishes) the run that a kill interrupted. 0 when another run holds the lock:
// that is reported (shown unless silent), and the caller ends with EXIT_SETUP_BUSY.
int BeginRun(void);
// Releases the lock; every run that BeginRun started calls it before it ends.
void EndRun(void);

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
