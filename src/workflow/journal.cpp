// The journal of one install's changes, and how they are undone or finished.
#include "journal.h"

#include <windows.h>
#include <stdlib.h>

#include "../resources/resource.h"
#include "../support/messages.h"
#include "../support/strbuf.h"
#include "copy.h"
#include "record.h"

enum ChangeKind { CHANGE_DIRECTORY, CHANGE_FILE_CREATED, CHANGE_FILE_REPLACED, CHANGE_PENDING };

struct Change {
    int kind;
    char path[MAX_PATH];
    char aside[MAX_PATH];  // the kept old file, or the waiting new one
};

// A value of the settings key as it was: had is 1 when present, -1 when it could not be kept.
struct SavedValue {
    int had;
    DWORD type, size;
    BYTE *data;
};

static int recording;
static int changeCount;
static Change changes[JOURNAL_CAPACITY];

static const char *const settingsLevels[3] = {VENDOR_KEY_PATH, PRODUCT_KEY_PATH, SETTINGS_KEY_PATH};
static const char *const settingsNames[2] = {SETTINGS_APPLETS, SETTINGS_RAWSOCK};
static int settingsNoted;
static int levelExisted[3];
static SavedValue savedValues[2];

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

static void ForgetSettings(void)
{
    for (int i = 0; i < 2; i++) {
        free(savedValues[i].data);
        savedValues[i].data = NULL;
        savedValues[i].had = 0;
    }
    settingsNoted = 0;
}

static void Forget(void)
{
    changeCount = 0;
    ForgetSettings();
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

// Deletes a kept old file; one still in use (a running program can be renamed, not deleted)
// goes at the next restart. 1 when that is what happened.
static int DeleteKeptFile(const char *path, const char *kept)
{
    if (DeleteFileA(kept))
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

static int Record(int kind, const char *path, const char *aside)
{
    if (!recording) {
        if (kind == CHANGE_FILE_REPLACED)
            DeleteKeptFile(path, aside);
        else if (kind == CHANGE_PENDING)
            RegisterReplacement(path, aside);
        return 1;
    }
    if (changeCount >= JOURNAL_CAPACITY)
        return 0;
    Change *c = &changes[changeCount];
    if (!StrCopy(c->path, sizeof c->path, path) || !StrCopy(c->aside, sizeof c->aside, aside ? aside : ""))
        return 0;
    c->kind = kind;
    changeCount++;
    return 1;
}

int JournalDirectoryCreated(const char *path)
{
    return Record(CHANGE_DIRECTORY, path, NULL);
}

int JournalFileCreated(const char *path)
{
    return Record(CHANGE_FILE_CREATED, path, NULL);
}

int JournalFileReplaced(const char *path, const char *kept)
{
    return Record(CHANGE_FILE_REPLACED, path, kept);
}

int JournalReplacementPending(const char *path, const char *working)
{
    return Record(CHANGE_PENDING, path, working);
}

static void SaveValue(HKEY key, const char *name, SavedValue *v)
{
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, name, NULL, &v->type, NULL, &size);
    if (status != ERROR_SUCCESS) {
        v->had = status == ERROR_FILE_NOT_FOUND ? 0 : -1;
        return;
    }
    v->data = (BYTE *)malloc(size ? size : 1);
    v->size = size;
    v->had = v->data && RegQueryValueExA(key, name, NULL, &v->type, v->data, &v->size) == ERROR_SUCCESS ? 1 : -1;
}

void JournalSettingsKeyBefore(void)
{
    if (!recording)
        return;
    ForgetSettings();
    settingsNoted = 1;
    for (int i = 0; i < 3; i++) {
        HKEY key;
        levelExisted[i] = RegOpenKeyExA(HKEY_LOCAL_MACHINE, settingsLevels[i], 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (!levelExisted[i])
            continue;
        if (i == 2)
            for (int j = 0; j < 2; j++)
                SaveValue(key, settingsNames[j], &savedValues[j]);
        RegCloseKey(key);
    }
}

// Deletes the levels of the settings key that the run created, deepest first, or puts its
// values back when it was there before.
static void UndoSettings(void)
{
    if (!levelExisted[2]) {
        for (int i = 2; i >= 0 && !levelExisted[i]; i--) {
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
        const SavedValue *v = &savedValues[j];
        if (v->had > 0)
            status = RegSetValueExA(key, settingsNames[j], 0, v->type, v->data, v->size);
        else if (v->had == 0)
            status = RegDeleteValueA(key, settingsNames[j]);
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

int JournalCommit(void)
{
    int restart = 0;
    for (int i = 0; i < changeCount; i++) {
        const Change *c = &changes[i];
        if (c->kind == CHANGE_FILE_REPLACED)
            restart |= DeleteKeptFile(c->path, c->aside);
        else if (c->kind == CHANGE_PENDING)
            restart |= RegisterReplacement(c->path, c->aside);
    }
    Forget();
    recording = 0;
    return restart;
}

// Puts one change back; 0 (with the error code) when it could not be.
static int UndoChange(const Change *c, DWORD *error)
{
    BOOL done = TRUE;
    switch (c->kind) {
    case CHANGE_DIRECTORY:
        done = RemoveDirectoryA(c->path);
        break;
    case CHANGE_FILE_CREATED:
        done = DeleteFileA(c->path);
        break;
    case CHANGE_FILE_REPLACED:
        // When the old file cannot go back it stays under its working name: never lost.
        done = PutFileInPlace(c->aside, c->path);
        break;
    case CHANGE_PENDING:
        done = DeleteFileA(c->aside);
        break;
    }
    *error = done ? 0 : GetLastError();
    return done;
}

void JournalUndo(void)
{
    int changed = changeCount > 0 || settingsNoted;
    for (int i = changeCount - 1; i >= 0; i--) {
        DWORD error = 0;
        if (!UndoChange(&changes[i], &error))
            LogPathError(IDS_UNDO_FAILED, changes[i].path, error);
    }
    if (settingsNoted)
        UndoSettings();
    Forget();
    recording = 0;
    if (changed) {
        char text[MESSAGE_TEMPLATE_SIZE];
        LoadMessage(IDS_CHANGES_UNDONE, text, sizeof text);
        WriteSetupLog(text);
    }
}
