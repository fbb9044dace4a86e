// The journal file's format: one line per entry, each checked by its CRC-32, and the rules an
// entry read back from disk must keep before anything acts on it.
#ifndef TW_JOURNALFILE_H
#define TW_JOURNALFILE_H

#include <stddef.h>
#include <stdint.h>

// Kinds of entry. Paths are whole Windows paths.
#define JOURNAL_ROOT 'T'           // a directory the run writes into (path)
#define JOURNAL_DIRECTORY 'D'      // a directory the run created (path)
#define JOURNAL_FILE_CREATED 'F'   // a product file the run created (path)
#define JOURNAL_FILE_REPLACED 'K'  // a product file replaced (path), its old version kept (aside)
#define JOURNAL_PENDING 'P'        // a product file in use (path), its new version waiting (aside)
#define JOURNAL_ATTRIBUTES 'A'     // a product file's attributes (path) about to be cleared: the old ones as 8 hex digits
#define JOURNAL_SETTINGS 'S'       // the settings key before: levels that existed ("011"), hex values
#define JOURNAL_PROFILE 'W'        // the WIN.INI section before: "1" or "0", hex of its key=value list
#define JOURNAL_UNINSTALL 'U'      // the uninstall entry before: "1" or "0", hex values
#define JOURNAL_GROUP 'G'          // a Program Manager group (name) to be created: "1" when it was there before, else "0"
#define JOURNAL_ITEM 'I'           // an item (name) to be added to the group of the last G: "" when new,
                                   // else the item it replaces as "command line|working directory"
#define JOURNAL_COMMIT 'C'         // the run succeeded: finish it, never undo it
#define JOURNAL_NOT_MADE 'X'       // the change recorded last was not made after all

// The longest line a journal holds, its end included.
#define JOURNAL_LINE_SIZE 16384

// One entry as read: the fields point into the text read and are not terminated.
struct JournalEntry {
    char kind;
    const char *field1, *field2;
    size_t length1, length2;
};

// Writes "kind TAB field1 TAB field2 TAB crc LF" into out. Returns its length, or 0 when it
// does not fit or a field holds a tab, a line end or a NUL byte (nothing is written then).
size_t FormatJournalEntry(char *out, size_t cap, char kind, const char *field1, const char *field2);

// Reads the entry at *pos of text and moves *pos past it. Returns 0 at the end of the text and
// at the first entry that is cut short or damaged: nothing after it is read.
int ReadJournalEntry(const char *text, size_t size, size_t *pos, JournalEntry *entry);

// Copies a field into a terminated string; 0 (out empty) when it does not fit.
int CopyJournalField(char *out, size_t cap, const char *field, size_t length);

// A directory that a journal may name as a root: "X:\..." with no empty, "." or ".." part, or a
// drive root "X:\".
int JournalRootAcceptable(const char *dir);
// 1 when a change of kind to path (and aside, for K and P) stays inside the roots read so far:
// a created directory is a root or one of its parents; a file lies directly in a root; an
// aside is a working name ("~twXXXX.tmp") in the same directory as its file; the attributes of
// an A entry are what ParseJournalAttributes reads. A group or item
// (G, I) is a name that a Program Manager command can carry, and its aside one of the forms
// above; its undo touches nothing outside the Programs folders.
int JournalChangeAllowed(char kind, const char *path, const char *aside, const char *const *roots, int rootCount);

// The attributes an A entry's aside holds: exactly eight upper-case hex digits. 0 when it is not so.
int ParseJournalAttributes(const char *aside, uint32_t *attributes);

// Hex of size bytes into out (2 * size + 1 bytes); 0 when it does not fit.
int HexEncode(char *out, size_t cap, const void *data, size_t size);
// Bytes of hex text into out; returns how many, or -1 for odd or non-hex text or no room.
long HexDecode(unsigned char *out, size_t cap, const char *hex, size_t length);

// A list of registry values, as the S and U entries carry them: for each value a name length
// byte, the name, the type and the data size (4 bytes each, least significant first), the data.
struct JournalValue {
    char name[256];
    uint32_t type;
    const unsigned char *data;
    uint32_t size;
};
// Appends one value at *used; 0 (nothing appended) when it does not fit or the name is too long.
int AppendJournalValue(unsigned char *list, size_t cap, size_t *used, const char *name, uint32_t type,
                       const void *data, uint32_t size);
// Reads the value at *pos; 0 at the end of the list or at a value that runs past it.
int NextJournalValue(const unsigned char *list, size_t size, size_t *pos, JournalValue *value);

#endif
