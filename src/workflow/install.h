// The install workflow that the start command runs.
#ifndef TW_INSTALL_H
#define TW_INSTALL_H

#include <windows.h>

// 1 when the product was installed; 0 when declined, failed or a removal ran instead.
int RunInstall(HWND mainWindow);

// Logs that a command-line value was not used because the installation that is updated keeps
// what it has; nothing is said when the two agree.
void LogValueNotUsed(const char *name, const char *given, const char *what, const char *recorded);

#endif
