// The DDE client that sends Program Manager its group and item commands.
#ifndef TW_DDE_H
#define TW_DDE_H

#include <windows.h>
#include <ddeml.h>

// The one client instance of the process. Closed (sessionLive 0) at start; live from a
// successful initialisation until ProgmanClose or ProgmanCloseDeletingGroup.
struct ProgmanSession {
    DWORD instanceId;
    int sessionLive;
    int groupAccepted;  // the server accepted the last CreateGroup of this session
    HSZ service;        // "PROGMAN", once the first command made it
    HCONV conversation; // the conversation the commands go on, once one is made
};

extern ProgmanSession progmanSession;

// Time-out of every transaction with Program Manager, in milliseconds.
#define PROGMAN_TIMEOUT_MS 1000

// Sends one command on the session's conversation, made on first use and made again when the
// server ended it: 1 when the server accepted it, 0 when the session is closed, no server
// answers, or the command was refused or timed out (which ends the conversation).
int ProgmanExecute(DWORD instanceId, const char *command);
HDDEDATA CALLBACK ProgmanCallback(UINT type, UINT format, HCONV conversation, HSZ topic, HSZ item,
                                  HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2);

// 1 when the session is live, 0 when the DDE initialisation failed.
int ProgmanOpen(void);
// Opens the session and sends CreateGroup; 1 when the session is live, whatever the command did
// (groupAccepted says whether the server took it).
int ProgmanCreateGroup(const char *group);
// Makes group Program Manager's current group; 1 only when the server accepted it, so that item
// commands that follow are known to reach that group.
int ProgmanShowGroup(const char *group);
// DeleteGroup of group (with all it holds); 1 when the server accepted it.
int ProgmanDeleteGroup(const char *group);
// AddItem of commandLine as title, working in directory; 1 when the server accepted it.
int ProgmanAddItem(const char *title, const char *directory, const char *commandLine);
// Ends the session. Always 1.
int ProgmanClose(void);
// Sends DeleteGroup when group is the product's own default name (any letter case), then
// ends the session. Always 1.
int ProgmanCloseDeletingGroup(const char *group, int made = -1);
// DeleteItem for title, or for file when title is empty. Always 1.
int ProgmanDeleteItem(const char *title, const char *file);
// An item's working directory: directory, or the current one when none is given (cap >= 1);
// empty when the current one has no usable ANSI form.
const char *ItemDirectory(const char *directory, char *currentDir, size_t cap);
// DeleteItem, then AddItem of commandLine with the working directory (the current directory
// when directory is empty). Nothing is sent without a command line. Always 1.
int ProgmanReplaceItem(const char *title, const char *directory, const char *file, const char *commandLine);

#endif
