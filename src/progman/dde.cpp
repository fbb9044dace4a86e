// Program Manager's DDE client: one conversation per command, fixed command strings.
#include "dde.h"

#include <stdlib.h>
#include <string.h>

#include "../shell/manifest.h"
#include "../support/strbuf.h"
#include "commands.h"

ProgmanSession progmanSession;

int ProgmanExecute(DWORD instanceId, const char *command)
{
    if (!progmanSession.sessionLive || !command)
        return 0;
    HSZ service = DdeCreateStringHandleA(instanceId, "PROGMAN", CP_WINANSI);
    if (!service)
        return 0;
    HCONV conversation = DdeConnect(instanceId, service, service, NULL);
    if (!conversation) {
        DdeFreeStringHandle(instanceId, service);
        return 0;
    }
    // The command goes with its terminating zero.
    DWORD size = (DWORD)strlen(command) + 1;
    HDDEDATA reply = DdeClientTransaction((LPBYTE)command, size, conversation, NULL, CF_TEXT,
                                          XTYP_EXECUTE, PROGMAN_TIMEOUT_MS, NULL);
    DdeDisconnect(conversation);
    DdeFreeStringHandle(instanceId, service);
    return reply != NULL;
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

int ProgmanClose(void)
{
    if (progmanSession.sessionLive)
        DdeUninitialize(progmanSession.instanceId);
    progmanSession.sessionLive = 0;
    progmanSession.groupAccepted = 0;
    return 1;
}

int ProgmanCloseDeletingGroup(const char *group)
{
    if (progmanSession.sessionLive) {
        // Only the product's own group goes; a group the user picked stays with what it holds.
        if (group && StrEqualNoCase(group, installManifest.productName))
            SendCommand(PROGMAN_DELETE_GROUP, group, NULL, NULL);
        DdeUninitialize(progmanSession.instanceId);
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
    DWORD n = GetCurrentDirectoryA((DWORD)cap, currentDir);
    if (n == 0 || n >= cap)
        currentDir[0] = '\0';
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
