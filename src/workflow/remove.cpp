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
#include "../changes/copypaths.h"
#include "../changes/filechange.h"
#include "../changes/journal.h"
#include "../changes/record.h"

#define REMOVE_TEXT_SIZE 512

int removalNeedsRestart;

// Entries in dir (without "." and ".."), counted up to limit + 1.
static unsigned CountEntries(const char *dir, unsigned limit)
{
    char pattern[REMOVE_TEXT_SIZE];
    if (!JoinPath(pattern, sizeof pattern, dir, "*"))
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
        int whole = JoinPath(path, sizeof path, dir, row->targetName);
        // A read-only, hidden or system product file is deleted too.
        DWORD attrs = whole ? GetFileAttributesA(path) : INVALID_FILE_ATTRIBUTES;
        if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & BLOCKING_ATTRIBUTES) && !(attrs & FILE_ATTRIBUTE_DIRECTORY))
            SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
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

// What the record says the install made, for the installation in one directory.
struct MadeByInstall {
    int dir, data, group;  // levels of DIR and DEFDIR created, the group created; -1: not said
    char dataDir[RECORD_VALUE_SIZE];
};

static int SameDirectory(const char *a, const char *b)
{
    char x[RECORD_VALUE_SIZE], y[RECORD_VALUE_SIZE];
    if (!StrCopy(x, sizeof x, a) || !StrCopy(y, sizeof y, b))
        return 0;
    StripTrailingBackslash(x);
    StripTrailingBackslash(y);
    return StrEqualNoCase(x, y);
}

// Reads what the install made from the record, when the record names installedDir (and, for
// the group, group); what an older record does not say is -1.
static void ReadMadeByInstall(const char *installedDir, const char *group, MadeByInstall *made)
{
    made->dir = made->data = made->group = -1;
    made->dataDir[0] = '\0';
    char recorded[RECORD_VALUE_SIZE];
    if (!ReadRecordValue("DIR", "", recorded, sizeof recorded) || !RecordValueWhole("DIR") ||
        !SameDirectory(recorded, installedDir))
        return;
    made->dir = ReadRecordNumber(RECORD_DIR_MADE);
    if (ReadRecordValue("GROUP", "", recorded, sizeof recorded) && StrEqualNoCase(recorded, group))
        made->group = ReadRecordNumber(RECORD_GROUP_MADE);
    if (ReadRecordValue("DEFDIR", "", made->dataDir, sizeof made->dataDir) && RecordValueWhole("DEFDIR") &&
        !SameDirectory(made->dataDir, installedDir))
        made->data = ReadRecordNumber(RECORD_DATA_MADE);
}

// A drive root, also as an older record wrote it ("D:"), is never removed.
static int IsRootDirectory(const char *dir)
{
    return IsDriveRoot(dir) || (dir[0] && dir[1] == ':' && !dir[2]);
}

static void LogDirectoryRemoval(const char *dir, const char *word)
{
    char text[REMOVE_TEXT_SIZE];
    StrFormat(text, sizeof text, "Removing %s (%s)", dir, word);
    WriteSetupLog(text);
}

// Removes the folders above dir that the install created (levels counts dir itself), deepest
// first, each only when it is empty; the first that stays ends it.
static void RemoveMadeParents(const char *dir, int levels)
{
    char path[RECORD_VALUE_SIZE];
    if (!StrCopy(path, sizeof path, dir))
        return;
    StripTrailingBackslash(path);
    for (int i = 1; i < levels && CutToParent(path) && !IsRootDirectory(path); i++) {
        if (!RemoveDirectoryA(path))
            return;
        LogDirectoryRemoval(path, "ok");
    }
}

// Deletes the product's items in group, and the group when the install made it (or, for a
// record that does not say, when it bears the product's name), through Program Manager and as
// shell links. 0 when there is no group to work on.
static int RemoveGroup(const char *installedDir, const char *group, int made)
{
    if (!group[0])
        return 0;
    // A name holding a double quote cannot be put into a command; only its links can go.
    if (!CommandValueAcceptable(group)) {
        DeleteGroupLinks(group, made);
        return 0;
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
        JoinPath(path, sizeof path, installedDir, row->targetName);
        if (groupShown)
            ProgmanDeleteItem(row->iconTitle, path);
        char text[REMOVE_TEXT_SIZE];
        ComposeMessage(text, sizeof text, IDS_REMOVING_ICON, row->iconTitle);
        WriteSetupLog(text);
    }
    ProgmanCloseDeletingGroup(installManifest.groupName, made);
    // The items an install made as shell links, where no Program Manager took them.
    DeleteGroupLinks(installManifest.groupName, made);
    return 1;
}

// Removes the program directory, and the folders above it that the install made. Returns 0
// when it went (or stays as what the install found: a drive root, a directory that was there),
// 1 when it goes at the next restart (it is in use, or holds only files that go then), -1
// otherwise.
static int RemoveProgramDirectory(const char *installedDir, int made, unsigned waiting)
{
    if (IsRootDirectory(installedDir) || made == 0)
        return 0;
    int status = RemoveDirectoryA(installedDir) ? 0 : -1;
    if (status < 0) {
        DWORD error = GetLastError();
        if ((error == ERROR_DIR_NOT_EMPTY || IsInUseError(error)) &&
            CountEntries(installedDir, waiting) <= waiting && MoveFileExA(installedDir, NULL, MOVEFILE_DELAY_UNTIL_REBOOT)) {
            removalNeedsRestart = 1;
            status = 1;
        }
    }
    char word[REMOVE_TEXT_SIZE];
    if (status > 0)
        LoadMessage(IDS_REMOVE_AT_RESTART, word, sizeof word);
    else
        StrCopy(word, sizeof word, status == 0 ? "ok" : "failed");
    LogDirectoryRemoval(installedDir, word);
    if (status == 0)
        RemoveMadeParents(installedDir, made);
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

// The data directory and the folders above it, when the install made them and they are empty.
static void RemoveDataDirectory(const MadeByInstall *made)
{
    if (made->data <= 0 || IsRootDirectory(made->dataDir) || !RemoveDirectoryA(made->dataDir))
        return;
    LogDirectoryRemoval(made->dataDir, "ok");
    RemoveMadeParents(made->dataDir, made->data);
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
    JoinPath(webDir, sizeof webDir, installedDir, "web");

    removalNeedsRestart = 0;
    unsigned waiting = RemoveFiles(installedDir, webDir);
    // The entry starts the uninstaller just deleted: it goes with the files.
    DeleteUninstallEntry();
    RemoveProductKey(HKEY_CURRENT_USER, IDS_REMOVING_HKCU);
    RemoveProductKey(HKEY_LOCAL_MACHINE, IDS_REMOVING_HKLM);
    RemoveVendorKeyIfEmpty(HKEY_CURRENT_USER);
    RemoveVendorKeyIfEmpty(HKEY_LOCAL_MACHINE);
    // Without a group the directories are left: the installation is not known well enough.
    MadeByInstall made;
    ReadMadeByInstall(installedDir, group, &made);
    // The data directory first: it may lie within the program directory.
    int grouped = RemoveGroup(installedDir, group, made.group);
    if (grouped)
        RemoveDataDirectory(&made);
    int removalStatus = grouped ? RemoveProgramDirectory(installedDir, made.dir, waiting) : -1;
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
