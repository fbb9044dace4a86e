// Removal of a prior installation: files, registry, Program Manager items, directory, record.
#include "remove.h"

#include <string.h>

#include "../progman/commands.h"
#include "../progman/dde.h"
#include "../progman/links.h"
#include "../resources/resource.h"
#include "../shell/manifest.h"
#include "../shell/setup.h"
#include "../support/messages.h"
#include "../support/strbuf.h"
#include "../changes/filechange.h"
#include "../changes/journal.h"
#include "../changes/record.h"

#define REMOVE_TEXT_SIZE 512

int removalNeedsRestart;

// Entries in dir (without "." and ".."), counted up to limit + 1.
static unsigned CountEntries(const char *dir, unsigned limit)
{
    char pattern[REMOVE_TEXT_SIZE];
    if (!StrFormat(pattern, sizeof pattern, "%s\\*", dir))
        return limit + 1;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    unsigned count = 0;
    do {
        if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0)
            count++;
    } while (count <= limit && FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

int DeleteRegistryTree(const char *path, HKEY root)
{
    // An empty path would open root itself.
    if (!path || !*path)
        return 0;
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return 0;
    int result = 1;
    // Subkeys before index resisted deletion and stay; stepping past them ends the loop.
    DWORD index = 0;
    char name[256];
    while (RegEnumKeyA(key, index, name, sizeof name) == ERROR_SUCCESS) {
        if (RegDeleteKeyA(key, name) == ERROR_SUCCESS)
            continue;
        // Each level is addressed from its open parent, so a deep tree needs no path longer
        // than one key name (the platform may refuse longer ANSI key paths).
        if (!DeleteRegistryTree(name, key))
            result = 0;
        char again[256];
        if (RegEnumKeyA(key, index, again, sizeof again) == ERROR_SUCCESS && strcmp(again, name) == 0) {
            result = 0;
            index++;
        }
    }
    RegCloseKey(key);
    RegDeleteKeyA(root, path);
    return result;
}

static int IsHelpFile(const char *path)
{
    size_t n = strlen(path);
    return n >= 4 && StrEqualNoCase(path + n - 4, ".hlp");
}

// Deletes every row's file from the recorded directory (web rows from its web subdirectory),
// and the index the help viewer builds beside a help file. Returns how many files of the
// directory itself wait for the next restart.
static unsigned RemoveFiles(const char *installedDir, const char *webDir)
{
    char failed[REMOVE_TEXT_SIZE], atRestart[REMOVE_TEXT_SIZE];
    LoadMessage(IDS_REMOVE_FILE_FAILED, failed, sizeof failed);
    LoadMessage(IDS_REMOVE_AT_RESTART, atRestart, sizeof atRestart);
    unsigned waiting = 0;
    for (int i = 0; i < installManifest.fileCount; i++) {
        const FileEntry *row = &installManifest.files[i];
        const char *dir = row->targetDirKind == TARGET_WEB_DIR ? webDir : installedDir;
        char path[REMOVE_TEXT_SIZE];
        // A cut path names another file: it is reported as failed, never deleted.
        int whole = StrFormat(path, sizeof path, "%s\\%s", dir, row->targetName);
        int deleted = whole && DeleteFileA(path);
        int later = whole && !deleted && DeleteFileAtRestart(path, GetLastError());
        removalNeedsRestart |= later;
        if (later && dir == installedDir)
            waiting++;
        char text[REMOVE_TEXT_SIZE];
        ComposeMessage(text, sizeof text, IDS_REMOVING_FILE, path, deleted ? "ok" : later ? atRestart : failed);
        WriteSetupLog(text);
        if (whole && IsHelpFile(path)) {
            StrCopy(path + strlen(path) - 4, 5, ".gid");
            DeleteFileA(path);
        }
    }
    return waiting;
}

static void RemoveProductKey(HKEY root, unsigned logMessage)
{
    if (RegDeleteKeyA(root, PRODUCT_KEY_PATH) == ERROR_SUCCESS)
        return;
    DeleteRegistryTree(PRODUCT_KEY_PATH, root);
    char text[REMOVE_TEXT_SIZE];
    LoadMessage(logMessage, text, sizeof text);
    WriteSetupLog(text);
}

// The install made the maker's key as the product key's parent; it goes too when nothing else
// of the maker's is in it (tested first, since Windows 9x would delete it with its subkeys).
static void RemoveVendorKeyIfEmpty(HKEY root)
{
    HKEY key;
    if (RegOpenKeyExA(root, VENDOR_KEY_PATH, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    DWORD subkeys = 1, values = 1;
    LONG status = RegQueryInfoKeyA(key, NULL, NULL, NULL, &subkeys, NULL, NULL, &values, NULL, NULL, NULL, NULL);
    RegCloseKey(key);
    if (status == ERROR_SUCCESS && subkeys == 0 && values == 0)
        RegDeleteKeyA(root, VENDOR_KEY_PATH);
}

// Deletes the product's items in group (and the group when it bears the product's name),
// through Program Manager and as shell links, and removes the program directory. Returns 0
// when the directory went, 1 when it goes at the next restart (it is in use, or holds only
// files that go then), -1 otherwise, also when there is no group to work on.
static int RemoveGroupAndDirectory(const char *installedDir, const char *group, unsigned waiting)
{
    if (!group[0])
        return -1;
    // A name holding a double quote cannot be put into a command; only its links can go.
    if (!CommandValueAcceptable(group)) {
        DeleteGroupLinks(group);
        return -1;
    }
    StrCopy(installManifest.groupName, sizeof installManifest.groupName, group);
    ProgmanOpen();
    // Item deletions apply to Program Manager's current group: select the recorded one first,
    // and delete items only when it was selected.
    int groupShown = ProgmanShowGroup(installManifest.groupName);
    for (int i = 0; i < installManifest.fileCount; i++) {
        const FileEntry *row = &installManifest.files[i];
        if (!row->iconFlags)
            continue;
        char path[REMOVE_TEXT_SIZE];
        StrFormat(path, sizeof path, "%s\\%s", installedDir, row->targetName);
        if (groupShown)
            ProgmanDeleteItem(row->iconTitle, path);
        char text[REMOVE_TEXT_SIZE];
        ComposeMessage(text, sizeof text, IDS_REMOVING_ICON, row->iconTitle);
        WriteSetupLog(text);
    }
    ProgmanCloseDeletingGroup(installManifest.groupName);
    // The items an install made as shell links, where no Program Manager took them.
    DeleteGroupLinks(installManifest.groupName);
    int status = RemoveDirectoryA(installedDir) ? 0 : -1;
    if (status < 0) {
        DWORD error = GetLastError();
        if ((error == ERROR_DIR_NOT_EMPTY || IsInUseError(error)) &&
            CountEntries(installedDir, waiting) <= waiting && MoveFileExA(installedDir, NULL, MOVEFILE_DELAY_UNTIL_REBOOT)) {
            removalNeedsRestart = 1;
            status = 1;
        }
    }
    char text[REMOVE_TEXT_SIZE], word[REMOVE_TEXT_SIZE];
    if (status > 0)
        LoadMessage(IDS_REMOVE_AT_RESTART, word, sizeof word);
    else
        StrCopy(word, sizeof word, status == 0 ? "ok" : "failed");
    StrFormat(text, sizeof text, "Removing %s (%s)", installedDir, word);
    WriteSetupLog(text);
    return status;
}

// The section goes from WIN.INI as a recorded change, for the same reason as the install's
// record: a removal killed while the file is rewritten would cut other programs' sections
// short. The next start puts the file back whole, section and all, and a second removal
// finishes; a rewrite that did not come out right is put back at once.
static void RemoveProfileRecord(const char *installedDir)
{
    JournalBegin();
    // Named first, so that the next start's line names the installation.
    JournalRoot(installedDir);
    if (!JournalProfileFileBefore()) {
        JournalUndo();
        DeleteProfileRecord();
        return;
    }
    if (!DeleteProfileRecord() || JournalCommit() < 0)
        JournalUndo();
}

int RemoveInstallation(HWND ownerWindow)
{
    char installedDir[RECORD_VALUE_SIZE];
    if (!ReadRecordValue("DIR", "", installedDir, sizeof installedDir) || !RecordValueWhole("DIR")) {
        // Nothing is known (a directory read back cut would be another one), so nothing is
        // deleted, not even the section.
        char caption[REMOVE_TEXT_SIZE], text[REMOVE_TEXT_SIZE];
        LoadMessage(IDS_REMOVE_CAPTION, caption, sizeof caption);
        LoadMessage(IDS_REMOVE_NO_RECORD, text, sizeof text);
        ReportText(ownerWindow, caption, MB_ICONINFORMATION, text);
        return 0;
    }
    char group[RECORD_VALUE_SIZE];
    ReadRecordValue("GROUP", installManifest.groupName, group, sizeof group);
    return RemoveInstallationAt(ownerWindow, installedDir, group);
}

int RemoveInstallationAt(HWND ownerWindow, const char *installedDir, const char *group)
{
    char caption[REMOVE_TEXT_SIZE];
    char text[REMOVE_TEXT_SIZE];
    LoadMessage(IDS_REMOVE_CAPTION, caption, sizeof caption);
    ComposeMessage(text, sizeof text, IDS_REMOVING_INSTALLATION, installManifest.productName, installedDir);
    WriteSetupLog(text);
    char webDir[RECORD_VALUE_SIZE + 8];
    StrFormat(webDir, sizeof webDir, "%s\\web", installedDir);

    removalNeedsRestart = 0;
    unsigned waiting = RemoveFiles(installedDir, webDir);
    // The entry starts the uninstaller just deleted: it goes with the files.
    DeleteUninstallEntry();
    RemoveProductKey(HKEY_CURRENT_USER, IDS_REMOVING_HKCU);
    RemoveProductKey(HKEY_LOCAL_MACHINE, IDS_REMOVING_HKLM);
    RemoveVendorKeyIfEmpty(HKEY_CURRENT_USER);
    RemoveVendorKeyIfEmpty(HKEY_LOCAL_MACHINE);
    int removalStatus = RemoveGroupAndDirectory(installedDir, group, waiting);
    RemoveProfileRecord(installedDir);

    if (removalStatus == 0)
        LoadMessage(IDS_REMOVE_COMPLETE, text, sizeof text);
    else if (removalStatus > 0)
        LoadMessage(IDS_REMOVE_RESTART, text, sizeof text);
    else
        ComposeMessage(text, sizeof text, IDS_REMOVE_INCOMPLETE, installedDir);
    ReportText(ownerWindow, caption, MB_ICONINFORMATION, text);
    return 0;
}
