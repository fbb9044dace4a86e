// The compiled-in description of the product: names, directories, options and file rows.
#ifndef TW_MANIFEST_H
#define TW_MANIFEST_H

#include <windows.h>
#include <stdint.h>

#include "twversion.h"

#define MANIFEST_TEXT_SIZE 256
// The product's version, as the list of installed programs shows it: the build's version,
// the one the programs' version resources carry.
#define PRODUCT_VERSION TW_VERSION_TEXT

// Status bits of a FileEntry, set during a run.
#define FILE_COPIED 1
#define FILE_EXTRACTED 2

// Target directory kinds.
#define TARGET_PROGRAM_DIR 0
#define TARGET_DATA_DIR 1
#define TARGET_WEB_DIR 2

// Option bits.
#define OPTION_ASK_DATA_DIR 1

struct FileEntry {
    const char *resourceName;
    int32_t diskNumber;
    const char *sourceName;
    const char *targetName;
    int32_t required;
    int32_t iconFlags;
    const char *iconTitle;
    int32_t targetDirKind;
    int32_t status;
    // Set by extraction from the build's record of the payload: 1 when expandedLength and
    // expandedCrc are what the row's file must expand to, -1 when its stored bytes do not
    // match the record or the record lacks it; 0 before.
    int32_t checked;
    uint32_t expandedLength;
    uint32_t expandedCrc;
};

struct InstallManifest {
    char productName[MANIFEST_TEXT_SIZE];
    char productTitle[MANIFEST_TEXT_SIZE];
    char groupName[MANIFEST_TEXT_SIZE];
    char programDirModern[MANIFEST_TEXT_SIZE];
    char programDirNt3[MANIFEST_TEXT_SIZE];
    char programDirOther[MANIFEST_TEXT_SIZE];
    char dataDirPreset[MANIFEST_TEXT_SIZE];
    uint32_t options;
    char uninstallerBase[MANIFEST_TEXT_SIZE];
    int fileCount;
    FileEntry *files;
};

extern InstallManifest installManifest;

// Fills installManifest and returns its fileCount; 0 means failure. The INF path is accepted
// for the day the description moves into a file; everything is compiled in.
int LoadInstallManifest(HINSTANCE instance, HWND mainWindow, const char *infPath);

#endif
