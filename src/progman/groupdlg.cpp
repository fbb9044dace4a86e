// The group-name dialog: a sorted drop-down of Program Manager's groups and the name to use.
#include "groupdlg.h"

#include <ddeml.h>

#include "../resources/resource.h"
#include "../shell/manifest.h"
#include "../support/messages.h"
#include "../support/strbuf.h"
#include "commands.h"
#include "dde.h"

char groupListBuffer[GROUP_LIST_SIZE];

// Copies the reply of a completed request into groupListBuffer; 0 when there was none.
static int ReadGroupReply(HDDEDATA data)
{
    groupListBuffer[0] = '\0';
    if (!data)
        return 0;
    DWORD size = 0;
    const char *bytes = (const char *)DdeAccessData(data, &size);
    if (bytes) {
        CopyGroupReply(groupListBuffer, sizeof groupListBuffer, bytes, size);
        DdeUnaccessData(data);
    }
    DdeFreeDataHandle(data);
    return bytes != NULL;
}

static void AddGroupNames(HWND combo)
{
    // Split a copy, so that groupListBuffer keeps the reply as it came.
    char names[sizeof groupListBuffer];
    StrCopy(names, sizeof names, groupListBuffer);
    char *cursor = names;
    char *name;
    while ((name = NextGroupName(&cursor)) != NULL)
        SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)name);
}

char *ProgmanListGroups(HWND combo)
{
    DWORD instance = 0;
    if (DdeInitializeA(&instance, ProgmanCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
        return NULL;
    progmanSession.sessionLive = 1;
    char *result = NULL;
    HSZ service = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
    HSZ item = DdeCreateStringHandleA(instance, "Groups", CP_WINANSI);
    HCONV conversation = (service && item) ? DdeConnect(instance, service, service, NULL) : NULL;
    if (conversation) {
        // The request has a conversation of its own: a server may leave an extra
        // acknowledgement behind on it, which would answer a later command.
        HDDEDATA data = DdeClientTransaction(NULL, 0, conversation, item, CF_TEXT, XTYP_REQUEST,
                                             PROGMAN_TIMEOUT_MS, NULL);
        if (ReadGroupReply(data)) {
            if (combo)
                AddGroupNames(combo);
            result = groupListBuffer;
        }
        DdeDisconnect(conversation);
    }
    if (item)
        DdeFreeStringHandle(instance, item);
    if (service)
        DdeFreeStringHandle(instance, service);
    DdeUninitialize(instance);
    progmanSession.sessionLive = 0;
    return result;
}

int ProgmanGroupListed(const char *group)
{
    if (!ProgmanListGroups(NULL))
        return -1;
    char names[sizeof groupListBuffer];
    StrCopy(names, sizeof names, groupListBuffer);
    char *cursor = names;
    char *name;
    while ((name = NextGroupName(&cursor)) != NULL)
        if (StrEqualNoCase(name, group))
            return 1;
    return 0;
}

// Takes the name from the field into groupName; refuses one that no command could carry.
static int AcceptGroupName(HWND dialog)
{
    char name[MANIFEST_TEXT_SIZE];
    GetDlgItemTextA(dialog, IDC_GETGROUP_COMBO, name, sizeof name);
    if (!CommandValueAcceptable(name)) {
        char caption[MANIFEST_TEXT_SIZE];
        GetWindowTextA(dialog, caption, sizeof caption);
        ReportMessage(dialog, caption, MB_OK | MB_ICONEXCLAMATION, IDS_GROUP_QUOTE_REFUSED);
        SetFocus(GetDlgItem(dialog, IDC_GETGROUP_COMBO));
        return 0;
    }
    StrCopy(installManifest.groupName, sizeof installManifest.groupName, name);
    return 1;
}

static INT_PTR CALLBACK GetGroupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        CenterOnDesktop(dialog, 0);
        ProgmanListGroups(GetDlgItem(dialog, IDC_GETGROUP_COMBO));
        SetDlgItemTextA(dialog, IDC_GETGROUP_COMBO, installManifest.groupName);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            if (AcceptGroupName(dialog))
                EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

INT_PTR AskGroupName(HWND parent, HINSTANCE instance)
{
    return DialogBoxParamA(instance, DLG_GETGROUP, parent, GetGroupDlgProc, 0);
}
