// Text logic of the directory prompts: search paths, compressed names and the browser's choices.
#ifndef TW_PATHS_H
#define TW_PATHS_H

#include <stddef.h>

// Working buffer of a source search: the directory, then during a test the file name.
#define SOURCE_PATH_SIZE 512

// The main payload file; as the browser's selector it picks the source-directory template.
#define SOURCE_SELECTOR "Tarnwell.exe"

// dir holds a directory to search for fileName. Appends a backslash unless dir is empty or
// already ends in one, and sets *baseLength to the directory's length then. Returns 1 when
// the directory, that backslash and fileName fit in cap - 1 characters; otherwise returns 0
// and leaves dir as it was.
int PrepareSearchDirectory(char *dir, size_t cap, const char *fileName, size_t *baseLength);

// The longest directory, without its trailing backslash, that PrepareSearchDirectory accepts.
size_t LongestSearchDirectory(size_t cap, const char *fileName);

// Turns the name that path ends with into its compressed form: the last character becomes "_".
void ToCompressedName(char *path);

// The last backslash of path, or null when it has none.
char *LastBackslash(char *path);

// Cuts a full file path at its last backslash, leaving the directory ("D:" for a drive root).
// A path without a backslash stays as it is.
void CutToDirectory(char *path);

// The browser template for a selector: "DLG_GETSRCDIR" for the main payload file's name in any
// letter case, "DLG_BROWSE" for anything else.
const char *BrowseTemplateFor(const char *selector);

// The open-file dialog's filter for one entry, "name (*.*)" matching "*.*": the two texts, each
// closed by a zero byte, and one more zero to end the list. The name is cut when the whole does
// not fit in cap bytes. Returns 0 when it was cut or cap cannot hold even the pattern.
int BuildAllFilesFilter(char *out, size_t cap, const char *name);

#endif
