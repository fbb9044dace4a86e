// Program Manager's DDE client: one conversation for a session's commands, fixed command strings.
#include "dde.h"

#include <stdlib.h>
#include <string.h>

#include "../shell/manifest.h"
#include "../support/strbuf.h"
#include "../support/widepath.h"
#include "commands.h"

ProgmanSession progmanSession;

// 1 while conversation is one the server has not ended.
static int StillConnected(HCONV conversation)
{
    CONVINFO info;
    memset(&info, 0, sizeof info);
    info.cb = sizeof info;
    return DdeQueryConvInfo(conversation, QID_SYNC, &info) && (info.wStatus & ST_CONNECTED);
}

static void EndConversation(void)
{
    if (progmanSession.conversation)
        DdeDisconnect(progmanSession.conversation);
    progmanSession.conversation = NULL;
}

// Ends the session's instance and opens another, with nothing made on it yet. A conversation
// that the server ended goes this way: Wine does not connect an instance again to a service
// and topic that it still holds an ended conversation with. 0 (and the session closed) when
// no instance can be had.
static int RenewInstance(DWORD *instanceId)
{
    DdeUninitialize(progmanSession.instanceId);
    if (!ProgmanOpen()) {
        progmanSession.sessionLive = 0;
        return 0;
    }
    *instanceId = progmanSession.instanceId;
    return 1;
}

// The session's conversation: made at its first command and kept for the commands after it,
// since each new one costs a broadcast to every top-level window. One that the server ended
// is made again.
static HCONV SessionConversation(DWORD *instanceId)
{
    ProgmanSession *s = &progmanSession;
    if (s->conversation && !StillConnected(s->conversation) && !RenewInstance(instanceId))
        return NULL;
    if (s->conversation)
        return s->conversation;
    if (!s->service)
        s->service = DdeCreateStringHandleA(*instanceId, "PROGMAN", CP_WINANSI);
    if (s->service)
        s->conversation = DdeConnect(*instanceId, s->service, s->service, NULL);
    return s->conversation;
}

int ProgmanExecute(DWORD instanceId, const char *command)
{
    if (!progmanSession.sessionLive || !command)
        return 0;
    HCONV conversation = SessionConversation(&instanceId);
    if (!conversation)
        return 0;
    // The command goes with its terminating zero.
    DWORD size = (DWORD)strlen(command) + 1;
    HDDEDATA reply = DdeClientTransaction((LPBYTE)command, size, conversation, NULL, CF_TEXT,
                                          XTYP_EXECUTE, PROGMAN_TIMEOUT_MS, NULL);
    if (reply)
        return 1;
    // A refusal leaves the conversation good. After a time-out or any other failure it goes, so
    // that a late answer to this command cannot be taken for the answer to the next. Nothing
    // is sent again: a server may have carried out a command that it did not answer.
    if (DdeGetLastError(instanceId) != DMLERR_NOTPROCESSED && StillConnected(conversation))
        EndConversation();
    return 0;
}

HDDEDATA CALLBACK ProgmanCallback(UINT type, UINT format, HCONV conversation, HSZ topic, HSZ item,
                                  HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2)
{
    (void)type;
    (void)format;
    (void)conversation;
    (void)topic;
    (void)item;
    (void)data;
    (void)data1;
    (void)data2;
    return NULL;
}

// Composes the command in a buffer of its own size and sends it. A command that cannot be
// composed (a value holding a double quote) is not sent.
static int SendCommand(ProgmanCommandKind kind, const char *first, const char *second, const char *third)
{
    if (!progmanSession.sessionLive)
        return 0;
    size_t length = ComposeProgmanCommand(NULL, 0, kind, first, second, third);
    if (length == 0)
        return 0;
    char *command = (char *)malloc(length + 1);
    if (!command)
        return 0;
    int result = 0;
    if (ComposeProgmanCommand(command, length + 1, kind, first, second, third) == length)
        result = ProgmanExecute(progmanSession.instanceId, command);
    free(command);
    return result;
}

int ProgmanOpen(void)
{
    progmanSession.instanceId = 0;
    progmanSession.conversation = NULL;
    progmanSession.service = NULL;
    if (DdeInitializeA(&progmanSession.instanceId, ProgmanCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
        return 0;
    progmanSession.sessionLive = 1;
    return 1;
}

int ProgmanCreateGroup(const char *group)
{
    progmanSession.groupAccepted = 0;
    if (!ProgmanOpen())
        return 0;
    progmanSession.groupAccepted = SendCommand(PROGMAN_CREATE_GROUP, group, NULL, NULL);
    return 1;
}

int ProgmanShowGroup(const char *group)
{
    return SendCommand(PROGMAN_SHOW_GROUP, group, NULL, NULL);
}

int ProgmanDeleteGroup(const char *group)
{
    return SendCommand(PROGMAN_DELETE_GROUP, group, NULL, NULL);
}

int ProgmanAddItem(const char *title, const char *directory, const char *commandLine)
{
    return SendCommand(PROGMAN_ADD_ITEM, commandLine, title, directory);
}

// Ends the conversation and the instance of a live session.
static void EndSession(void)
{
    EndConversation();
    if (progmanSession.service)
        DdeFreeStringHandle(progmanSession.instanceId, progmanSession.service);
    progmanSession.service = NULL;
    DdeUninitialize(progmanSession.instanceId);
}

int ProgmanClose(void)
{
    if (progmanSession.sessionLive)
        EndSession();
    progmanSession.sessionLive = 0;
    progmanSession.groupAccepted = 0;
    return 1;
}

int ProgmanCloseDeletingGroup(const char *group, int made)
{
    if (progmanSession.sessionLive) {
        // Only a group the install made (or, unrecorded, the product's own) goes; a group that
        // was there stays with what it holds.
        if (group && GroupGoesWithProduct(group, installManifest.productName, made))
            SendCommand(PROGMAN_DELETE_GROUP, group, NULL, NULL);
        EndSession();
    }
    progmanSession.sessionLive = 0;
    return 1;
}

static const char *ItemName(const char *title, const char *file)
{
    return (title && *title) ? title : file;
}

int ProgmanDeleteItem(const char *title, const char *file)
{
    SendCommand(PROGMAN_DELETE_ITEM, ItemName(title, file), NULL, NULL);
    return 1;
}

const char *ItemDirectory(const char *directory, char *currentDir, size_t cap)
{
    if (directory && *directory)
        return directory;
    UsableCurrentDirectory(currentDir, cap);
    return currentDir;
}

int ProgmanReplaceItem(const char *title, const char *directory, const char *file, const char *commandLine)
{
    if (!commandLine || !*commandLine)
        return 1;
    char currentDir[MAX_PATH];
    directory = ItemDirectory(directory, currentDir, sizeof currentDir);
    const char *name = ItemName(title, file);
    // Deleting first replaces an item of a previous install instead of adding a second one.
    SendCommand(PROGMAN_DELETE_ITEM, name, NULL, NULL);
    SendCommand(PROGMAN_ADD_ITEM, commandLine, name, directory);
    return 1;
}
