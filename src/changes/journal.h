// The journal of one install's changes to the machine, kept on disk ahead of each change:
// undone when the install does not succeed, finished when it does, and either of the two at
// the next start when the run was killed. It sits beneath the copy engine, the removal and the
// install workflow and calls none of them.
#ifndef TW_JOURNAL_H
#define TW_JOURNAL_H

// Changes one run can record; a change that finds no room is not made (the caller fails).
#define JOURNAL_CAPACITY 128

// Starts recording a run, forgetting any earlier one. Outside a recorded run every change is
// final at once: a kept old file is deleted, a pending replacement registered.
void JournalBegin(void);
// 1 when one more change can be recorded (always outside a recorded run).
int JournalHasRoom(void);

// Each records a change before it is made, flushed to disk, and returns 1 (also outside a
// recorded run), or 0 when it cannot be recorded: the change must not be made then.
// A directory the run will write into; the changes recorded later must lie within these.
int JournalRoot(const char *dir);
int JournalDirectoryCreated(const char *path);
int JournalFileCreated(const char *path);
// path is about to be replaced; its old version is kept under kept.
int JournalFileReplaced(const char *path, const char *kept);
// path is in use; its complete new content waits under working for the next restart.
int JournalReplacementPending(const char *path, const char *working);
// path (a file directly in a root) is about to be written: recorded as created, or, when it is
// there, as replaced, its old content kept beside it.
int JournalFileBefore(const char *path);
// The Program Manager group is about to be created; existed: it was there before, and only the
// items this run adds to it are taken away again.
int JournalGroupBefore(const char *group, int existed);
// An item is about to be added to that group; priorCommand and priorDirectory (null: none) are
// the item of that name it replaces, put back by the undo.
int JournalItemBefore(const char *item, const char *priorCommand, const char *priorDirectory);
// The change just recorded could not be made: it is taken back.
void JournalNotMade(void);
// The settings key, and the WIN.INI section with the uninstall entry, as they are before the
// install writes them.
int JournalSettingsKeyBefore(void);
int JournalRecordBefore(void);
// WIN.INI as a whole, before the product's section in it is written or deleted: the profile
// functions rewrite the file, and one cut short by a kill or a failed write loses other
// programs' sections. The undo puts the file back byte for byte from a copy kept beside it (a
// hard link would follow the rewrite). JournalRecordBefore includes it.
int JournalProfileFileBefore(void);

// Results of ReplaceTarget.
#define REPLACE_FAILED 0
#define REPLACE_DONE 1
#define REPLACE_IN_USE 2    // the target exists, is not read-only, and another program holds it

// Moves workingPath onto targetPath, recorded. An existing target is first kept under a
// working name beside it (a hard link, or a copy), then replaced in one move, so that the
// product file is always either the old one or the new one, whole. A read-only, hidden or
// system target has those attributes cleared first, its old ones recorded for the undo. On
// failure the target is as it was (but a target in use keeps its attributes cleared, for the
// replacement at the restart), workingPath is left for the caller, and the last error says why.
int ReplaceTarget(const char *workingPath, const char *targetPath);

// The run succeeded: flushes the commit mark, deletes the kept old files and registers the
// pending replacements (and kept files still in use) for the next restart, then deletes the
// journal. Returns 1 when anything waits for the restart, 0 when nothing does, -1 when neither
// the mark could be written nor the journal deleted: nothing is deleted, and the caller undoes
// the run.
int JournalCommit(void);
// 1 once the journal could not be written in this run (logged then): every later change is
// refused, and the run's failure needs no other report.
int JournalFailed(void);
// The run failed or was cancelled: puts back what it changed, newest first, and logs failing
// steps by path and error code, then one line that the changes were undone. Nothing is
// logged for a run that changed nothing.
void JournalUndo(void);

// Looks for the journal of a run that was killed: undoes it, or finishes it when it carries
// its commit mark, and logs which, naming its directory. Entries that name anything outside
// the run's directories are refused and logged. 1 when a journal was found.
int JournalRecover(void);

#endif
