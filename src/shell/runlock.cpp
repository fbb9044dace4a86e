// One run at a time: a named mutex held from start to end, and the recovery of a killed run.
#include "../resources/resource.h"
#include "../support/messages.h"
#include "../changes/journal.h"
#include "manifest.h"
#include "setup.h"

static HANDLE runLock;

int BeginRun(void)
{
    // Windows before 2000 knows no Global\ namespace and refuses the name.
    runLock = CreateMutexA(NULL, FALSE, "Global\\TarnwellSetup");
    if (!runLock)
        runLock = CreateMutexA(NULL, FALSE, "TarnwellSetup");
    if (runLock && WaitForSingleObject(runLock, 0) == WAIT_TIMEOUT) {
        CloseHandle(runLock);
        runLock = NULL;
        char text[MESSAGE_TEMPLATE_SIZE];
        ComposeMessage(text, sizeof text, IDS_ANOTHER_RUN, installManifest.productName);
        ReportText(NULL, installManifest.productTitle, MB_ICONWARNING, text);
        return 0;
    }
    // The lock is this run's now (WAIT_ABANDONED: its last owner was killed). A journal on disk
    // can only be a run's that ended without finishing it.
    JournalRecover();
    return 1;
}

void EndRun(void)
{
    if (!runLock)
        return;
    ReleaseMutex(runLock);
    CloseHandle(runLock);
    runLock = NULL;
}
