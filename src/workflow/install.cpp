// The install workflow: for now only the caption; the steps arrive with their parts.
#include "install.h"

#include "../shell/manifest.h"

int RunInstall(HWND mainWindow)
{
    SetWindowTextA(mainWindow, installManifest.productTitle);
    return 0;
}
