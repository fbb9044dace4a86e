// The product's manifest and FileTable, filled once at start-up.
#include "manifest.h"

#include <string.h>

#include "../resources/resource.h"
#include "../support/messages.h"
#include "../support/strbuf.h"

InstallManifest installManifest;

// The rows as built; each start-up copies them into fileTable, whose status bits change.
// (Kept constant, the process has no initialised writable data at all.)
static const FileEntry fileRows[] = {
    {"EXEFILE", 1, "tarnwell.exe", "tarnwell.exe", 1, 1, "Tarnwell", TARGET_PROGRAM_DIR, 0, 0, 0, 0},
    {"HLPFILE", 1, "tarnwell.hlp", "tarnwell.hlp", 1, 1, "Tarnwell Help File", TARGET_PROGRAM_DIR, 0, 0, 0, 0},
    {"CNTFILE", 1, "tarnwell.cnt", "tarnwell.cnt", 1, 0, "", TARGET_PROGRAM_DIR, 0, 0, 0, 0},
    {"TXTFILE", 1, "tarnwell.txt", "tarnwell.txt", 1, 1, "Tarnwell Release Notes", TARGET_PROGRAM_DIR, 0, 0, 0, 0},
    {"REMFILE", 1, "removetw.exe", "removetw.exe", 1, 1, "Uninstall Tarnwell", TARGET_PROGRAM_DIR, 0, 0, 0, 0},
    {"MIBFILE", 1, "mib.txt", "mib.txt", 0, 0, "", TARGET_PROGRAM_DIR, 0, 0, 0, 0},
};
static FileEntry fileTable[sizeof fileRows / sizeof fileRows[0]];

int LoadInstallManifest(HINSTANCE instance, HWND mainWindow, const char *infPath)
{
    (void)instance;
    (void)mainWindow;
    (void)infPath;
    InstallManifest *m = &installManifest;
    StrCopy(m->productName, sizeof m->productName, "Tarnwell");
    StrCopy(m->groupName, sizeof m->groupName, m->productName);
    LoadMessage(IDS_PRODUCT_TITLE, m->productTitle, sizeof m->productTitle);
    StrCopy(m->programDirModern, sizeof m->programDirModern, "C:\\Program Files\\Tarnwell");
    StrCopy(m->programDirNt3, sizeof m->programDirNt3, "C:\\WIN32APP\\Tarnwell");
    StrCopy(m->programDirOther, sizeof m->programDirOther, "C:\\Tarnwell");
    StrCopy(m->dataDirPreset, sizeof m->dataDirPreset, "C:\\Program Files\\Tarnwell");
    m->options = 0;
    StrCopy(m->uninstallerBase, sizeof m->uninstallerBase, "removetw");
    m->files = fileTable;
    m->fileCount = (int)(sizeof fileTable / sizeof fileTable[0]);
    memcpy(fileTable, fileRows, sizeof fileTable);
    return m->fileCount;
}
