// The journal of one install's changes to the machine: undone when the install does not
// succeed, finished when it does.
#ifndef TW_JOURNAL_H
#define TW_JOURNAL_H

// Changes one run can record; a change that finds no room is not made (the caller fails).
#define JOURNAL_CAPACITY 128

// Starts recording a run, forgetting any earlier one. Outside a recorded run every change is
// final at once: a kept old file is deleted, a pending replacement registered.
void JournalBegin(void);
// 1 when one more change can be recorded (always outside a recorded run).
int JournalHasRoom(void);

// Each returns 1 when recorded (or final at once), 0 when the journal is full.
int JournalDirectoryCreated(const char *path);
int JournalFileCreated(const char *path);
// path was renamed to kept, and the new file took its place.
int JournalFileReplaced(const char *path, const char *kept);
// path is in use; its complete new content waits under working for the next restart.
int JournalReplacementPending(const char *path, const char *working);
// Notes the settings key as it is before the install writes it.
void JournalSettingsKeyBefore(void);

// The run succeeded: deletes the kept old files and registers the pending replacements (and
// kept files still in use) for the next restart. Returns 1 when anything waits for it.
int JournalCommit(void);
// The run failed or was cancelled: puts back what it changed, newest first, and logs failing
// steps by path and error code, then one line that the changes were undone. Nothing is
// logged for a run that changed nothing.
void JournalUndo(void);

#endif
