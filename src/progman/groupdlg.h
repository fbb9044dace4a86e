// The group-name dialog DLG_GETGROUP and the list of existing Program Manager groups.
#ifndef TW_GROUPDLG_H
#define TW_GROUPDLG_H

#include <windows.h>

#define GROUP_LIST_SIZE 2096

// Program Manager's last Groups reply, cut after its last line that fits; zero-terminated.
extern char groupListBuffer[GROUP_LIST_SIZE];

// Asks Program Manager for its groups on a DDE instance of its own and adds each to the combo
// box (none when combo is null). Returns groupListBuffer when a reply came, null when no server answered or there was no
// data (the list then stays empty). Must not run while the ProgmanSession is live: it sets
// sessionLive while it works and clears it when it returns.
char *ProgmanListGroups(HWND combo);
// Whether Program Manager lists group (any letter case): 1 listed, 0 not, -1 no reply. Not
// while the ProgmanSession is live, as ProgmanListGroups.
int ProgmanGroupListed(const char *group);

// Runs DLG_GETGROUP on installManifest.groupName: 1 after OK (the name typed or picked is then
// in groupName, possibly empty), 0 after Cancel, -1 when the dialog cannot be created.
INT_PTR AskGroupName(HWND parent, HINSTANCE instance);

#endif
