// The install's Program Manager group and items, or the shell links made in their place.
#ifndef TW_GROUP_H
#define TW_GROUP_H

#include <windows.h>

// Asks for the group (unless silent), then creates it and an item for each row copied in this
// run whose file is there, each change recorded in the journal before it is made. 1 when done,
// 0 when the user cancelled the group dialog, -1 when a change could not be recorded.
int CreateGroupAndItems(HWND mainWindow, const char *programDir, const char *dataDir);

// Set by CreateGroupAndItems for the record: 1 when this run created the group (or its links
// folder), 0 when it was there, -1 when that is not known or the record's word stands (an
// update in its recorded group).
extern int groupMadeByRun;

#endif
