// Removal of a prior installation as the installation record describes it.
#ifndef TW_REMOVE_H
#define TW_REMOVE_H

#include <windows.h>

// Deletes the recorded installation's files, registry trees, uninstall entry, Program Manager
// items (and the group when the install made it), its directory with the folders above it that
// the install made, and its WIN.INI section; logs each step and ends with one message box owned
// by ownerWindow unless silent. A drive root and a folder that was there before stay. Always
// returns 0.
int RemoveInstallation(HWND ownerWindow);

// The same removal for the installation in installedDir whose items are in group (an empty
// group: none to delete, and the directory is left), as the uninstaller names it; what the
// install made is read from the record when it names installedDir. Returns 0.
int RemoveInstallationAt(HWND ownerWindow, const char *installedDir, const char *group);

// Set by a removal that left files (or the directory) in use to be deleted at the next restart.
extern int removalNeedsRestart;

// Deletes the key path under root with all its subkeys. 1 when every subkey went; 0 when the
// key cannot be opened or some subkey resisted. The key itself is deleted last, its outcome
// not counted.
int DeleteRegistryTree(const char *path, HKEY root);

#endif
