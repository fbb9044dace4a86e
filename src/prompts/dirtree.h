// Creation of a directory together with its missing parents, reporting each level that fails.
#ifndef TW_DIRTREE_H
#define TW_DIRTREE_H

// Creates path and any missing parent directories; an existing directory counts as created.
// path is changed during the call and restored before it returns. Each level that cannot be
// created shows a box, nearest the root first, in every mode (silent included). Returns
// nonzero when the directory exists at the end, 0 when its creation failed.
int CreateDirectoryTree(char *path);

// How many levels of path (path itself, its parent ...) CreateDirectoryTree created in this
// process, counted from path up to the first that it found there.
int LevelsMade(const char *path);

#endif
