// The install workflow that the start command runs.
#ifndef TW_INSTALL_H
#define TW_INSTALL_H

#include <windows.h>

// 1 when the product was installed; 0 when declined, failed or a removal ran instead.
int RunInstall(HWND mainWindow);

#endif
