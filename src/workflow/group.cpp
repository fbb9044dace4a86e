// The group and its items: the journal records each before the Program Manager client or the
// shell links make it, so that a failed or killed install takes them away again.
#include "group.h"
#include "notused.h"

#include "../changes/journal.h"
#include "../changes/record.h"
#include "../progman/dde.h"
#include "../progman/groupdlg.h"
#include "../progman/links.h"
#include "../resources/resource.h"
#include "../shell/manifest.h"
#include "../shell/setup.h"
#include "../support/messages.h"
#include "../support/strbuf.h"

#define GROUP_PATH_SIZE 512

int groupMadeByRun = -1;

// The item Program Manager already holds for row: the one the recorded installation made in
// this group, when the group was there before. 0 when there is none to know of.
static int PriorItem(const FileEntry *row, int groupExisted, char *command, char *directory)
{
    char group[RECORD_VALUE_SIZE], dir[RECORD_VALUE_SIZE];
    if (!groupExisted || !ReadRecordValue("GROUP", "", group, sizeof group) ||
        !StrEqualNoCase(group, installManifest.groupName) || !ReadRecordValue("DIR", "", dir, sizeof dir) ||
        !RecordValueWhole("DIR") || !JoinPath(command, GROUP_PATH_SIZE, dir, row->targetName) ||
        GetFileAttributesA(command) == INVALID_FILE_ATTRIBUTES)
        return 0;
    ReadRecordValue("DEFDIR", dir, directory, GROUP_PATH_SIZE);
    return 1;
}

// The links folder under the all-users Programs folder, or with userFolder the user's own,
// recorded as a directory the run writes into and, when it makes it, as one it created.
// 0 when it cannot be had, 1 when it was there, 2 when this run made it.
static int UseLinkFolder(int userFolder)
{
    char folder[MAX_PATH];
    if (!LinkGroupFolder(userFolder, folder) || !JournalRoot(folder))
        return 0;
    if (GetFileAttributesA(folder) != INVALID_FILE_ATTRIBUTES)
        return LinkUseFolder(userFolder, 0);
    if (!JournalDirectoryCreated(folder))
        return 0;
    if (LinkUseFolder(userFolder, 1))
        return 2;
    JournalNotMade();
    return 0;
}

// Makes the item of row as a shell link, its file recorded first. Links that cannot be saved
// in the all-users folder before any is go to the user's own, as does the group's folder.
static void AddLink(const FileEntry *row, const char *dataDir, const char *path, int *userFolder, int *saved,
                    int *madeCommon, int *madeUser)
{
    for (;;) {
        char link[MAX_PATH];
        if (!LinkItemPath(row->iconTitle, row->targetName, link) || !JournalFileBefore(link))
            return;
        if (LinkReplaceItem(row->iconTitle, dataDir, row->targetName, path)) {
            (*saved)++;
            return;
        }
        if (*saved || *userFolder)
            return;
        char common[MAX_PATH];
        if (*madeCommon && LinkGroupFolder(0, common))
            RemoveDirectoryA(common);
        *madeCommon = 0;
        *userFolder = 1;
        int user = UseLinkFolder(1);
        *madeUser = user == 2;
        if (!user)
            return;
    }
}

int CreateGroupAndItems(HWND mainWindow, const char *programDir, const char *dataDir)
{
    InstallManifest *m = &installManifest;
    char recorded[RECORD_VALUE_SIZE];
    // -g replaces the default group; an installation's recorded group stays.
    const char *given = setupCommand.groupName;
    if (given[0])
        StrCopy(m->groupName, sizeof m->groupName, given);
    int update = ReadRecordValue("GROUP", "", recorded, sizeof recorded) != 0;
    groupMadeByRun = -1;
    if (update) {
        if (given[0])
            LogValueNotUsed("-g", given, "group", recorded);
        StrCopy(m->groupName, sizeof m->groupName, recorded);
    }
    if (!setupMode.silent && AskGroupName(mainWindow, moduleInstance) == 0)
        return 0;
    if (!m->groupName[0])
        StrCopy(m->groupName, sizeof m->groupName, m->productName);

    char text[MESSAGE_TEMPLATE_SIZE];
    LoadMessage(IDS_CREATING_GROUP, text, sizeof text);
    WriteSetupLog(text);
    // A group whose past is not known (no list came) counts as one that was there: the undo
    // then takes only this run's items from it.
    int listed = ProgmanGroupListed(m->groupName);
    int existed = listed != 0;
    if (!JournalGroupBefore(m->groupName, existed))
        return -1;
    // Items go to Program Manager when it took the group, else they are made as shell links.
    int viaProgman = ProgmanCreateGroup(m->groupName) == 1 && progmanSession.groupAccepted;
    if (!viaProgman)
        JournalNotMade();
    int viaLinks = !viaProgman && LinkGroupOpen(m->groupName);
    int userFolder = 0, saved = 0, madeCommon = 0, userMade = 0;
    if (viaLinks) {
        int common = UseLinkFolder(0), user = 0;
        madeCommon = common == 2;
        if (!common && !(userFolder = 1, (user = UseLinkFolder(1)) != 0)) {
            StrFormat(text, sizeof text, "no shell links: no Programs folder takes the group %s", m->groupName);
            WriteSetupLog(text);
            LinkGroupClose();
            viaLinks = 0;
        }
        userMade = user == 2;
    }
    int result = 1;
    for (int i = 0; (viaProgman || viaLinks) && i < m->fileCount; i++) {
        const FileEntry *e = &m->files[i];
        if (!(e->status & FILE_COPIED) || !e->iconFlags)
            continue;
        char path[GROUP_PATH_SIZE];
        if (!JoinPath(path, sizeof path, programDir, e->targetName))
            continue;
        if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
            continue;
        StrFormat(text, sizeof text, "creating icon for %s", path);
        WriteSetupLog(text);
        if (viaLinks) {
            AddLink(e, dataDir, path, &userFolder, &saved, &madeCommon, &userMade);
            continue;
        }
        char command[GROUP_PATH_SIZE], directory[GROUP_PATH_SIZE];
        int prior = PriorItem(e, existed, command, directory);
        const char *name = e->iconTitle && *e->iconTitle ? e->iconTitle : e->targetName;
        if (!JournalItemBefore(name, prior ? command : NULL, directory)) {
            result = -1;
            break;
        }
        ProgmanReplaceItem(e->iconTitle, dataDir, e->targetName, path);
    }
    if (viaLinks)
        LinkGroupClose();
    // The record's word on the group: made by this run, or found there (when that is known).
    if (viaProgman ? listed == 0 : viaLinks && (madeCommon || userMade))
        groupMadeByRun = 1;
    else if (!update && (viaLinks || listed > 0))
        groupMadeByRun = 0;
    PumpMessages();
    ProgmanClose();
    return result;
}
