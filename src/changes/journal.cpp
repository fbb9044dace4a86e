// The journal of one install's changes: written ahead of each change, then undone or finished,
// in the same run or, after a kill, at the next start.
#include "journal.h"

#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "../progman/dde.h"
#include "../progman/links.h"
#include "../resources/resource.h"
#include "../shell/manifest.h"
#include "../support/messages.h"
#include "../support/strbuf.h"
#include "filechange.h"
#include "journalfile.h"
#include "record.h"

#define JOURNAL_FILE_NAME "tarnwell.jnl"
#define JOURNAL_ROOTS 8
// Room for a value list: half a line, as hex.
#define SNAPSHOT_SIZE (JOURNAL_LINE_SIZE / 2 - 64)
// The type that marks a value that could not be read: it is left as it is.
#define VALUE_UNKNOWN 0xFFFFFFFFu
// A journal larger than this is no journal of this setup's.
#define JOURNAL_MAX_FILE (4u << 20)
// A change read back that lies outside the run's directories: kept in its place, never acted on.
#define JOURNAL_REFUSED '-'

struct Change {
    char kind;
    char path[MAX_PATH];
    char aside[2 * MAX_PATH];  // the kept old file, the waiting new one, or the item replaced
};

// A registry key or WIN.INI section as it was: noted, whether it was there, its contents.
struct Snapshot {
    int noted;
    char had[4];  // "1"/"0"; for the settings key one digit per level
    unsigned char *list;
    size_t size;
};

static int recording;
static int changeCount;
static Change changes[JOURNAL_CAPACITY];
static int rootCount;
static char roots[JOURNAL_ROOTS][MAX_PATH];
static Snapshot settingsBefore, profileBefore, uninstallBefore;
static HANDLE journalFile;  // null while the run has written no entry
static int journalBroken;
static char line[JOURNAL_LINE_SIZE];

static const char *const settingsLevels[3] = {VENDOR_KEY_PATH, PRODUCT_KEY_PATH, SETTINGS_KEY_PATH};
static const char *const settingsNames[2] = {SETTINGS_APPLETS, SETTINGS_RAWSOCK};

static void LogPathError(unsigned message, const char *path, DWORD error)
{
    char text[MESSAGE_TEMPLATE_SIZE];
    ComposeMessage(text, sizeof text, message, path, (unsigned)error);
    WriteSetupLog(text);
}

static void LogPath(unsigned message, const char *path)
{
    char text[MESSAGE_TEMPLATE_SIZE];
    ComposeMessage(text, sizeof text, message, path);
    WriteSetupLog(text);
}

// The journal's fixed place, which any later run finds without the installation record.
static int JournalPath(char *out, size_t cap)
{
    UINT n = GetWindowsDirectoryA(out, (UINT)cap);
    return n > 0 && n < cap && EnsureTrailingBackslash(out, cap) && StrAppend(out, cap, JOURNAL_FILE_NAME);
}

static void ForgetSnapshot(Snapshot *s)
{
    free(s->list);
    memset(s, 0, sizeof *s);
}

// Forgets the run and deletes its journal file: the one this run wrote, or with deleteFound
// the one found at the start.
static void Forget(int deleteFound = 0)
{
    int ours = journalFile != NULL;
    if (ours) {
        CloseHandle(journalFile);
        journalFile = NULL;
    }
    char path[MAX_PATH];
    if ((ours || deleteFound) && JournalPath(path, sizeof path))
        DeleteFileA(path);
    journalBroken = 0;
    changeCount = 0;
    rootCount = 0;
    ForgetSnapshot(&settingsBefore);
    ForgetSnapshot(&profileBefore);
    ForgetSnapshot(&uninstallBefore);
}

// The journal cannot be written: logged once, naming it and the error. No later change may be
// recorded, so none is made, and the run fails with its cause in the log.
static int JournalWriteFailed(DWORD error)
{
    if (!journalBroken) {
        char path[MAX_PATH];
        if (!JournalPath(path, sizeof path))
            StrCopy(path, sizeof path, JOURNAL_FILE_NAME);
        LogPathError(IDS_JOURNAL_WRITE_FAILED, path, error ? error : ERROR_DISK_FULL);
    }
    journalBroken = 1;
    return 0;
}

// Appends one entry to the journal file, flushed to the disk with flush; the file is made with
// the run's first entry. 0 when that cannot be done. After a failed write the file may end in
// a broken entry, past which nothing is read: no later change may be recorded then.
// Only the entry before a change needs the flush: it takes the unflushed ones before it along.
static int WriteEntry(char kind, const char *field1, const char *field2, int flush = 1)
{
    if (journalBroken)
        return 0;
    if (!journalFile) {
        char path[MAX_PATH];
        if (!JournalPath(path, sizeof path))
            return JournalWriteFailed(ERROR_FILENAME_EXCED_RANGE);
        HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, NULL);
        if (file == INVALID_HANDLE_VALUE)
            return JournalWriteFailed(GetLastError());
        journalFile = file;
    }
    size_t n = FormatJournalEntry(line, sizeof line, kind, field1, field2);
    if (!n)
        return 0;
    DWORD written = 0;
    SetLastError(0);
    if (WriteFile(journalFile, line, (DWORD)n, &written, NULL) && written == n && (!flush || FlushFileBuffers(journalFile)))
        return 1;
    return JournalWriteFailed(GetLastError());
}

int JournalFailed(void)
{
    return journalBroken;
}

void JournalBegin(void)
{
    Forget();
    recording = 1;
}

int JournalHasRoom(void)
{
    return !recording || changeCount < JOURNAL_CAPACITY;
}

// Deletes a kept old file; one still in use (a running program) goes at the next restart.
// 1 when that is what happened.
static int DeleteKeptFile(const char *path, const char *kept)
{
    if (DeleteFileA(kept) || GetLastError() == ERROR_FILE_NOT_FOUND)
        return 0;
    if (!MoveFileExA(kept, NULL, MOVEFILE_DELAY_UNTIL_REBOOT)) {
        LogPathError(IDS_RESTART_NOT_REGISTERED, kept, GetLastError());
        return 0;
    }
    LogPath(IDS_OLD_FILE_AT_RESTART, path);
    return 1;
}

static int RegisterReplacement(const char *path, const char *working)
{
    if (!MoveFileExA(working, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT)) {
        LogPathError(IDS_RESTART_NOT_REGISTERED, path, GetLastError());
        DeleteFileA(working);
        return 0;
    }
    LogPath(IDS_REPLACE_AT_RESTART, path);
    return 1;
}

static int Remember(char kind, const char *path, const char *aside)
{
    if (changeCount >= JOURNAL_CAPACITY)
        return 0;
    Change *c = &changes[changeCount];
    if (!StrCopy(c->path, sizeof c->path, path) || !StrCopy(c->aside, sizeof c->aside, aside ? aside : ""))
        return 0;
    c->kind = kind;
    changeCount++;
    return 1;
}

static int Record(char kind, const char *path, const char *aside)
{
    if (!recording) {
        if (kind == JOURNAL_FILE_REPLACED)
            DeleteKeptFile(path, aside);
        else if (kind == JOURNAL_PENDING)
            RegisterReplacement(path, aside);
        return 1;
    }
    if (!Remember(kind, path, aside))
        return 0;
    if (!WriteEntry(kind, path, aside ? aside : "")) {
        changeCount--;
        return 0;
    }
    return 1;
}

int JournalRoot(const char *dir)
{
    if (!recording)
        return 1;
    char root[MAX_PATH];
    if (!StrCopy(root, sizeof root, dir))
        return 0;
    StripTrailingBackslash(root);
    for (int i = 0; i < rootCount; i++)
        if (StrEqualNoCase(roots[i], root))
            return 1;
    // No change yet: the next change's entry takes it to the disk.
    if (rootCount >= JOURNAL_ROOTS || !WriteEntry(JOURNAL_ROOT, root, "", 0))
        return 0;
    StrCopy(roots[rootCount++], MAX_PATH, root);
    return 1;
}

int JournalDirectoryCreated(const char *path)
{
    return Record(JOURNAL_DIRECTORY, path, NULL);
}

int JournalFileCreated(const char *path)
{
    return Record(JOURNAL_FILE_CREATED, path, NULL);
}

int JournalFileReplaced(const char *path, const char *kept)
{
    return Record(JOURNAL_FILE_REPLACED, path, kept);
}

int JournalReplacementPending(const char *path, const char *working)
{
    return Record(JOURNAL_PENDING, path, working);
}

int JournalFileBefore(const char *path)
{
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return JournalFileCreated(path);
    if (!recording)
        return 1;
    char kept[MAX_PATH];
    if (!KeepFileBeside(path, kept, sizeof kept))
        return 0;
    if (JournalFileReplaced(path, kept))
        return 1;
    DeleteFileA(kept);
    return 0;
}

int JournalGroupBefore(const char *group, int existed)
{
    return Record(JOURNAL_GROUP, group, existed ? "1" : "0");
}

int JournalItemBefore(const char *item, const char *priorCommand, const char *priorDirectory)
{
    char prior[2 * MAX_PATH] = "";
    if (priorCommand && !StrFormat(prior, sizeof prior, "%s|%s", priorCommand, priorDirectory ? priorDirectory : ""))
        return 0;
    return Record(JOURNAL_ITEM, item, prior);
}

void JournalNotMade(void)
{
    if (!recording || changeCount == 0)
        return;
    changeCount--;
    // Not flushed: lost in a kill, the entry stays, and its undo then finds nothing changed.
    WriteEntry(JOURNAL_NOT_MADE, changes[changeCount].path, "", 0);
}

// Writes the snapshot's entry, flushed with flush; 0 when it cannot be recorded.
static int WriteSnapshot(char kind, Snapshot *s, int flush = 1)
{
    char *hex = (char *)malloc(2 * s->size + 1);
    int done = hex && HexEncode(hex, 2 * s->size + 1, s->list, s->size) && WriteEntry(kind, s->had, hex, flush);
    free(hex);
    s->noted = done;
    return done;
}

static int StartSnapshot(Snapshot *s)
{
    ForgetSnapshot(s);
    s->list = (unsigned char *)malloc(SNAPSHOT_SIZE);
    return s->list != NULL;
}

// Adds the value name of key to the list; one that cannot be read is listed as unknown.
static int SnapshotValue(Snapshot *s, HKEY key, const char *name)
{
    DWORD type = 0, size = 0;
    LONG status = RegQueryValueExA(key, name, NULL, &type, NULL, &size);
    if (status == ERROR_FILE_NOT_FOUND)
        return 1;
    BYTE *data = status == ERROR_SUCCESS ? (BYTE *)malloc(size ? size : 1) : NULL;
    if (!data || RegQueryValueExA(key, name, NULL, &type, data, &size) != ERROR_SUCCESS) {
        type = VALUE_UNKNOWN;
        size = 0;
    }
    int added = AppendJournalValue(s->list, SNAPSHOT_SIZE, &s->size, name, type, data, size);
    free(data);
    return added;
}

int JournalSettingsKeyBefore(void)
{
    if (!recording)
        return 1;
    Snapshot *s = &settingsBefore;
    if (!StartSnapshot(s))
        return 0;
    int listed = 1;
    for (int i = 0; i < 3; i++) {
        HKEY key;
        int existed = RegOpenKeyExA(HKEY_LOCAL_MACHINE, settingsLevels[i], 0, KEY_READ, &key) == ERROR_SUCCESS;
        s->had[i] = existed ? '1' : '0';
        if (!existed)
            continue;
        if (i == 2)
            for (int j = 0; j < 2; j++)
                listed = listed && SnapshotValue(s, key, settingsNames[j]);
        RegCloseKey(key);
    }
    return listed && WriteSnapshot(JOURNAL_SETTINGS, s);
}

int JournalProfileFileBefore(void)
{
    char ini[MAX_PATH], dir[MAX_PATH], kept[MAX_PATH];
    if (!ProfileFilePath(ini, sizeof ini) || !StrCopy(dir, sizeof dir, ini))
        return 0;
    *strrchr(dir, '\\') = '\0';
    if (!JournalRoot(dir))
        return 0;
    if (GetFileAttributesA(ini) == INVALID_FILE_ATTRIBUTES)
        return JournalFileCreated(ini);
    if (!KeepCopyBeside(ini, kept, sizeof kept)) {
        LogPathError(IDS_RECORD_WRITE_FAILED, ini, GetLastError());
        return 0;
    }
    if (JournalFileReplaced(ini, kept))
        return 1;
    DeleteFileA(kept);
    return 0;
}

int JournalRecordBefore(void)
{
    if (!recording)
        return 1;
    if (!JournalProfileFileBefore())
        return 0;
    Snapshot *p = &profileBefore, *u = &uninstallBefore;
    if (!StartSnapshot(p) || !StartSnapshot(u))
        return 0;
    // The section as "key=value" strings, each closed by a zero byte.
    DWORD n = GetProfileSectionA(installManifest.productName, (char *)p->list, SNAPSHOT_SIZE);
    if (n >= SNAPSHOT_SIZE - 2)
        return 0;
    p->size = n;
    p->had[0] = n > 0 ? '1' : '0';

    char path[2 * MANIFEST_TEXT_SIZE];
    HKEY key;
    int listed = UninstallKeyPath(path, sizeof path);
    u->had[0] = '0';
    if (listed && RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        u->had[0] = '1';
        char name[256];
        for (DWORD i = 0; listed; i++) {
            DWORD length = sizeof name;
            LONG status = RegEnumValueA(key, i, name, &length, NULL, NULL, NULL, NULL);
            if (status == ERROR_NO_MORE_ITEMS)
                break;
            listed = status == ERROR_SUCCESS && SnapshotValue(u, key, name);
        }
        RegCloseKey(key);
    }
    // Both are written before either is changed: one flush takes both.
    return listed && WriteSnapshot(JOURNAL_PROFILE, p, 0) && WriteSnapshot(JOURNAL_UNINSTALL, u);
}

// Clears the read-only, hidden and system attributes of path (attrs as read), which keep it
// from being replaced or deleted, its old attributes recorded first. 1 when they were
// cleared, 0 when there was nothing to clear, -1 when they could not be recorded or cleared.
static int ClearAttributes(const char *path, DWORD attrs)
{
    const DWORD blocking = BLOCKING_ATTRIBUTES;
    if (!(attrs & blocking) || (attrs & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    char hex[16];
    StrFormat(hex, sizeof hex, "%08lX", (unsigned long)attrs);
    if (!Record(JOURNAL_ATTRIBUTES, path, hex)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return -1;
    }
    DWORD rest = attrs & ~blocking;
    if (SetFileAttributesA(path, rest ? rest : FILE_ATTRIBUTE_NORMAL))
        return 1;
    DWORD error = GetLastError();
    JournalNotMade();
    SetLastError(error);
    return -1;
}

// Gives path back the attributes that ClearAttributes took (when cleared), and its entry.
static void RestoreAttributes(const char *path, DWORD attrs, int cleared)
{
    if (cleared <= 0)
        return;
    DWORD error = GetLastError();
    SetFileAttributesA(path, attrs);
    JournalNotMade();
    SetLastError(error);
}

int ReplaceTarget(const char *workingPath, const char *targetPath)
{
    if (!JournalHasRoom()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return REPLACE_FAILED;
    }
    DWORD attrs = GetFileAttributesA(targetPath);
    if (attrs == INVALID_FILE_ATTRIBUTES) {
        if (!JournalFileCreated(targetPath)) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return REPLACE_FAILED;
        }
        if (!MoveFileA(workingPath, targetPath)) {
            DWORD error = GetLastError();
            JournalNotMade();
            SetLastError(error);
            return REPLACE_FAILED;
        }
        return REPLACE_DONE;
    }
    int cleared = ClearAttributes(targetPath, attrs);
    if (cleared < 0)
        return REPLACE_FAILED;
    // A file that is still read-only refuses for that reason, not because it is held.
    int inUseCandidate = !(GetFileAttributesA(targetPath) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
    // A file that another program holds cannot be replaced: found out before a link to it is
    // made, which could not be deleted again while it is held. (Windows 95 knows no DELETE
    // sharing and refuses the parameter: the move below finds out there.)
    HANDLE probe = CreateFileA(targetPath, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                               OPEN_EXISTING, 0, NULL);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
    } else {
        DWORD error = GetLastError();
        if (IsInUseError(error) && inUseCandidate) {
            SetLastError(error);
            return REPLACE_IN_USE;
        }
    }
    char kept[MAX_PATH];
    if (!KeepFileBeside(targetPath, kept, sizeof kept)) {
        DWORD error = GetLastError();
        int inUse = IsInUseError(error) && inUseCandidate;
        if (!inUse)
            RestoreAttributes(targetPath, attrs, cleared);
        SetLastError(error);
        return inUse ? REPLACE_IN_USE : REPLACE_FAILED;
    }
    if (recording && !JournalFileReplaced(targetPath, kept)) {
        DeleteFileA(kept);
        RestoreAttributes(targetPath, attrs, cleared);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return REPLACE_FAILED;
    }
    if (!PutFileInPlace(workingPath, targetPath)) {
        DWORD error = GetLastError();
        JournalNotMade();
        if (!DeleteFileA(kept))
            DeleteFileAtRestart(kept, GetLastError());
        int inUse = IsInUseError(error) && inUseCandidate;
        if (!inUse)
            RestoreAttributes(targetPath, attrs, cleared);
        SetLastError(error);
        return inUse ? REPLACE_IN_USE : REPLACE_FAILED;
    }
    if (!recording)
        DeleteKeptFile(targetPath, kept);
    return REPLACE_DONE;
}

// The second half of a commit: the kept old files go, the pending replacements are registered.
static int Finish(void)
{
    int restart = 0;
    for (int i = 0; i < changeCount; i++) {
        const Change *c = &changes[i];
        if (c->kind == JOURNAL_FILE_REPLACED)
            restart |= DeleteKeptFile(c->path, c->aside);
        else if (c->kind == JOURNAL_PENDING)
            restart |= RegisterReplacement(c->path, c->aside);
    }
    return restart;
}

int JournalCommit(void)
{
    // Without the mark on disk a kill from here on would undo a finished install, and that
    // undo needs the kept old files: the mark is written before anything is deleted. When it
    // cannot be written, deleting the journal makes the run as final as the mark would; a run
    // that can do neither is undone by its caller.
    if (recording && journalFile && !WriteEntry(JOURNAL_COMMIT, "", "")) {
        CloseHandle(journalFile);
        journalFile = NULL;
        char path[MAX_PATH];
        if (!JournalPath(path, sizeof path) || !DeleteFileA(path))
            return -1;
    }
    int restart = Finish();
    Forget();
    recording = 0;
    return restart;
}

static LONG SetValue(HKEY key, const JournalValue *v)
{
    return RegSetValueExA(key, v->name, 0, v->type, v->data, v->size);
}

// Finds name in a snapshot's list; 0 when it is not there.
static int FindValue(const Snapshot *s, const char *name, JournalValue *v)
{
    size_t pos = 0;
    while (NextJournalValue(s->list, s->size, &pos, v))
        if (StrEqualNoCase(v->name, name))
            return 1;
    return 0;
}

// Deletes the levels of the settings key that the run created, deepest first, or puts its
// values back when it was there before.
static void UndoSettings(const Snapshot *s)
{
    if (s->had[2] != '1') {
        for (int i = 2; i >= 0 && s->had[i] != '1'; i--) {
            LONG status = RegDeleteKeyA(HKEY_LOCAL_MACHINE, settingsLevels[i]);
            if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
                LogPathError(IDS_UNDO_FAILED, settingsLevels[i], (DWORD)status);
        }
        return;
    }
    HKEY key;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, 0, KEY_SET_VALUE, &key);
    if (status != ERROR_SUCCESS) {
        LogPathError(IDS_UNDO_FAILED, SETTINGS_KEY_PATH, (DWORD)status);
        return;
    }
    for (int j = 0; j < 2; j++) {
        JournalValue v;
        if (!FindValue(s, settingsNames[j], &v))
            status = RegDeleteValueA(key, settingsNames[j]);
        else if (v.type != VALUE_UNKNOWN)
            status = SetValue(key, &v);
        else
            status = ERROR_NOT_ENOUGH_MEMORY;
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
            char name[MAX_PATH];
            StrFormat(name, sizeof name, "%s\\%s", SETTINGS_KEY_PATH, settingsNames[j]);
            LogPathError(IDS_UNDO_FAILED, name, (DWORD)status);
        }
    }
    RegCloseKey(key);
}

// Puts the WIN.INI section back as it was, or deletes it.
static void UndoProfile(const Snapshot *s)
{
    const char *section = installManifest.productName;
    WriteProfileStringA(section, NULL, NULL);
    if (s->had[0] != '1')
        return;
    const char *p = (const char *)s->list;
    const char *end = p + s->size;
    while (p < end && *p) {
        const char *stop = (const char *)memchr(p, '\0', (size_t)(end - p));
        if (!stop)
            break;
        // Only the key is copied; the value is read where it lies, whatever its length.
        const char *eq = (const char *)memchr(p, '=', (size_t)(stop - p));
        char key[RECORD_VALUE_SIZE];
        if (eq && CopyJournalField(key, sizeof key, p, (size_t)(eq - p)))
            WriteProfileStringA(section, key, eq + 1);
        p = stop + 1;
    }
}

// Puts the uninstall entry back as it was, or deletes it.
static void UndoUninstallEntry(const Snapshot *s)
{
    char path[2 * MANIFEST_TEXT_SIZE];
    if (!UninstallKeyPath(path, sizeof path))
        return;
    LONG status = RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        LogPathError(IDS_UNDO_FAILED, path, (DWORD)status);
    HKEY key;
    if (s->had[0] != '1' || RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &key) != ERROR_SUCCESS)
        return;
    size_t pos = 0;
    JournalValue v;
    while (NextJournalValue(s->list, s->size, &pos, &v))
        if (v.type != VALUE_UNKNOWN)
            SetValue(key, &v);
    RegCloseKey(key);
}

// Puts one change back; 0 (with the error code) when it could not be.
static int UndoChange(const Change *c, DWORD *error)
{
    BOOL done = TRUE;
    switch (c->kind) {
    case JOURNAL_DIRECTORY:
        done = RemoveDirectoryA(c->path) || GetLastError() == ERROR_FILE_NOT_FOUND;
        break;
    case JOURNAL_FILE_CREATED:
        done = DeleteFileA(c->path) || GetLastError() == ERROR_FILE_NOT_FOUND;
        break;
    case JOURNAL_FILE_REPLACED:
        // A kept file that is not there was never made: the target is still the old one.
        // When the old file cannot go back it stays under its working name: never lost.
        done = GetFileAttributesA(c->aside) == INVALID_FILE_ATTRIBUTES || PutFileInPlace(c->aside, c->path);
        break;
    case JOURNAL_PENDING:
        done = DeleteFileA(c->aside) || GetLastError() == ERROR_FILE_NOT_FOUND;
        break;
    case JOURNAL_ATTRIBUTES: {
        // Undone after the old file is back (newest first): it gets its own attributes again.
        uint32_t attributes = 0;
        done = !ParseJournalAttributes(c->aside, &attributes) || SetFileAttributesA(c->path, attributes) ||
               GetLastError() == ERROR_FILE_NOT_FOUND;
        break;
    }
    }
    *error = done ? 0 : GetLastError();
    return done;
}

// The group entry that the item at index i belongs to: the newest one before it.
static const Change *GroupOf(int i)
{
    while (--i >= 0)
        if (changes[i].kind == JOURNAL_GROUP)
            return &changes[i];
    return NULL;
}

// Takes a group this run created away with all it holds, or an item it added to a group that
// was there before, putting back the item it replaced. Where no Program Manager takes the
// command, the links that a server keeps its items in are deleted as files; 0 when something
// stays that way.
static int UndoProgmanChange(int i)
{
    const Change *c = &changes[i];
    const Change *g = c->kind == JOURNAL_GROUP ? c : GroupOf(i);
    if (!g || (c->kind == JOURNAL_GROUP) != (g->aside[0] == '0'))
        return 1;  // an item of a new group goes with it; a group that was there stays
    if (!progmanSession.sessionLive)
        ProgmanOpen();
    if (c->kind == JOURNAL_GROUP) {
        if (ProgmanDeleteGroup(c->path))
            return 1;
        for (int j = i + 1; j < changeCount && changes[j].kind != JOURNAL_GROUP; j++)
            if (changes[j].kind == JOURNAL_ITEM)
                DeleteItemLinks(c->path, changes[j].path, 0);
        return DeleteItemLinks(c->path, NULL, 1);
    }
    const char *bar = strchr(c->aside, '|');
    if (!ProgmanShowGroup(g->path)) {
        if (!bar)
            DeleteItemLinks(g->path, c->path, 0);
        return !bar;  // the earlier item cannot be made again without a server
    }
    ProgmanDeleteItem(c->path, "");
    char command[MAX_PATH];
    return !bar || (CopyJournalField(command, sizeof command, c->aside, (size_t)(bar - c->aside)) &&
                    ProgmanAddItem(c->path, bar + 1, command));
}

// Undoes the recorded changes, newest first, then the registry and WIN.INI; 1 when all went back.
// Working files that a killed run left go too, from a directory it made before the directory
// is removed, but only while every kept old file went back.
static int UndoAll(void)
{
    int whole = 1;
    int progmanWasLive = progmanSession.sessionLive;
    char ini[MAX_PATH];
    int profileFileBack = 0;
    if (!ProfileFilePath(ini, sizeof ini))
        ini[0] = '\0';
    for (int i = changeCount - 1; i >= 0; i--) {
        DWORD error = 0;
        int isProfile = ini[0] && StrEqualNoCase(changes[i].path, ini) &&
                        (changes[i].kind == JOURNAL_FILE_REPLACED || changes[i].kind == JOURNAL_FILE_CREATED);
        // What the profile functions hold in memory goes to the file first, never over it later.
        if (isProfile) {
            WriteProfileStringA(NULL, NULL, NULL);
            isProfile = changes[i].kind == JOURNAL_FILE_CREATED || GetFileAttributesA(changes[i].aside) != INVALID_FILE_ATTRIBUTES;
        }
        if (changes[i].kind == JOURNAL_GROUP || changes[i].kind == JOURNAL_ITEM) {
            if (!UndoProgmanChange(i)) {
                char name[3 * MAX_PATH];
                const Change *g = GroupOf(i);
                if (changes[i].kind == JOURNAL_GROUP || !g || !StrFormat(name, sizeof name, "%s\\%s", g->path, changes[i].path))
                    StrCopy(name, sizeof name, changes[i].path);
                LogPath(IDS_PROGMAN_UNDO_FAILED, name);
            }
            continue;
        }
        if (changes[i].kind == JOURNAL_DIRECTORY && whole)
            DeleteStaleWorkingFiles(changes[i].path);
        if (!UndoChange(&changes[i], &error)) {
            LogPathError(IDS_UNDO_FAILED, changes[i].path, error);
            whole = 0;
        } else if (isProfile) {
            profileFileBack = 1;
        }
    }
    if (!progmanWasLive)
        ProgmanClose();
    for (int i = 0; whole && i < rootCount; i++)
        DeleteStaleWorkingFiles(roots[i]);
    if (uninstallBefore.noted)
        UndoUninstallEntry(&uninstallBefore);
    // WIN.INI back whole holds the section as it was; written again, it would be reformatted.
    if (profileBefore.noted && !profileFileBack)
        UndoProfile(&profileBefore);
    if (settingsBefore.noted)
        UndoSettings(&settingsBefore);
    return whole;
}

// The temporary directory without its trailing backslash; empty when it is not known.
static void TempDirectoryName(char *out, size_t cap)
{
    TempDirectory(out, cap);
    StripTrailingBackslash(out);
}

// 1 when path lies in the temporary directory temp (n characters), in it or one level down:
// the run's working directory and the payload extracted there.
static int InTemp(const char *path, const char *temp, size_t n)
{
    if (!(n && strlen(path) > n && path[n] == '\\' && !_strnicmp(path, temp, n)))
        return 0;
    const char *below = strchr(path + n + 1, '\\');
    return !below || !strchr(below + 1, '\\');
}

// 1 when the run changed more than its working directory and the payload extracted there.
static int ChangedTheMachine(void)
{
    char temp[MAX_PATH];
    TempDirectoryName(temp, sizeof temp);
    size_t n = strlen(temp);
    for (int i = 0; i < changeCount; i++)
        if (!InTemp(changes[i].path, temp, n))
            return 1;
    return settingsBefore.noted;
}

// After a committed run: what it made in the temporary directory (its working directory and
// the payload extracted there) goes, as the run itself deletes it at its end.
static void DeleteWorkingChanges(void)
{
    char temp[MAX_PATH];
    TempDirectoryName(temp, sizeof temp);
    size_t n = strlen(temp);
    for (int i = changeCount - 1; i >= 0; i--) {
        const Change *c = &changes[i];
        if ((c->kind != JOURNAL_FILE_CREATED && c->kind != JOURNAL_DIRECTORY) || !InTemp(c->path, temp, n))
            continue;
        if (c->kind == JOURNAL_DIRECTORY)
            DeleteStaleWorkingFiles(c->path);
        DWORD error;
        UndoChange(c, &error);
    }
}

void JournalUndo(void)
{
    int changed = ChangedTheMachine();
    UndoAll();
    Forget();
    recording = 0;
    if (changed) {
        char text[MESSAGE_TEMPLATE_SIZE];
        LoadMessage(IDS_CHANGES_UNDONE, text, sizeof text);
        WriteSetupLog(text);
    }
}

// Reads a snapshot entry into s; 0 when it is damaged.
static int ReadSnapshot(const JournalEntry *e, Snapshot *s, size_t hadLength)
{
    if (e->length1 != hadLength || !StartSnapshot(s))
        return 0;
    memcpy(s->had, e->field1, hadLength);
    long n = HexDecode(s->list, SNAPSHOT_SIZE, e->field2, e->length2);
    if (n < 0) {
        ForgetSnapshot(s);
        return 0;
    }
    s->size = (size_t)n;
    s->noted = 1;
    return 1;
}

// Takes in one entry read from the journal of a killed run. 0 when reading has to stop.
static int TakeEntry(const JournalEntry *e, int *committed)
{
    char path[MAX_PATH], aside[2 * MAX_PATH];
    switch (e->kind) {
    case JOURNAL_ROOT:
        if (CopyJournalField(path, sizeof path, e->field1, e->length1) && JournalRootAcceptable(path) &&
            rootCount < JOURNAL_ROOTS)
            StrCopy(roots[rootCount++], MAX_PATH, path);
        return 1;
    case JOURNAL_NOT_MADE:
        if (changeCount > 0)
            changeCount--;
        return 1;
    case JOURNAL_SETTINGS:
        return ReadSnapshot(e, &settingsBefore, 3);
    case JOURNAL_PROFILE:
        return ReadSnapshot(e, &profileBefore, 1);
    case JOURNAL_UNINSTALL:
        return ReadSnapshot(e, &uninstallBefore, 1);
    case JOURNAL_COMMIT:
        *committed = 1;
        return 1;
    }
    if (!CopyJournalField(path, sizeof path, e->field1, e->length1) ||
        !CopyJournalField(aside, sizeof aside, e->field2, e->length2))
        return 0;
    const char *rootList[JOURNAL_ROOTS];
    for (int i = 0; i < rootCount; i++)
        rootList[i] = roots[i];
    // The journal is input: what it names outside the run's own directories is left alone.
    // It still holds its place, so that a later "not made" takes back the right change.
    if (!JournalChangeAllowed(e->kind, path, aside, rootList, rootCount)) {
        LogPath(IDS_JOURNAL_ENTRY_REFUSED, path);
        return Remember(JOURNAL_REFUSED, path, aside);
    }
    return Remember(e->kind, path, aside);
}

int JournalRecover(void)
{
    char path[MAX_PATH];
    if (!JournalPath(path, sizeof path))
        return 0;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD size = GetFileSize(file, NULL);
    char *text = size != INVALID_FILE_SIZE && size <= JOURNAL_MAX_FILE ? (char *)malloc(size ? size : 1) : NULL;
    DWORD got = 0;
    if (text && !ReadFile(file, text, size, &got, NULL))
        got = 0;
    CloseHandle(file);

    Forget();
    recording = 0;
    int committed = 0;
    size_t pos = 0;
    JournalEntry e;
    while (text && ReadJournalEntry(text, got, &pos, &e) && TakeEntry(&e, &committed))
        ;
    free(text);

    int found = rootCount > 0 || changeCount > 0 || settingsBefore.noted;
    // The directory named is the first the run installed into: the working directory in the
    // temporary one, where the payload is extracted first, only when the run got no further.
    char dir[MAX_PATH], temp[MAX_PATH];
    TempDirectoryName(temp, sizeof temp);
    size_t n = strlen(temp);
    StrCopy(dir, sizeof dir, rootCount ? roots[0] : "");
    for (int i = rootCount - 1; i >= 0; i--)
        if (!StrEqualNoCase(roots[i], temp) && !InTemp(roots[i], temp, n))
            StrCopy(dir, sizeof dir, roots[i]);
    if (committed) {
        Finish();
        DeleteWorkingChanges();
    } else {
        UndoAll();
    }
    Forget(1);
    if (found)
        LogPath(committed ? IDS_INTERRUPTED_FINISHED : IDS_INTERRUPTED_UNDONE, dir);
    return 1;
}
