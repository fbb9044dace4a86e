// The process-wide state, apart from start-up so that the uninstaller links it without the
// setup's main window and workflow.
#include "setup.h"

SetupModeFlags setupMode;
HINSTANCE moduleInstance;
HWND mainWindow;
HWND progressDialog;
int setupExitCode;  // EXIT_SETUP_FAILED from start-up on
CommandLine setupCommand;
