// Putting a finished working file in place of a product file so that the change can be undone.
#ifndef TW_REPLACE_H
#define TW_REPLACE_H

// Results of ReplaceTarget.
#define REPLACE_FAILED 0
#define REPLACE_DONE 1
#define REPLACE_IN_USE 2    // the target exists, is not read-only, and another program holds it

// Moves workingPath onto targetPath and records the change in the journal. An existing target
// is first renamed to a working name beside it and kept there until the run ends; each step is
// a rename in one directory, so the product file is always complete. On failure the target is
// as it was, workingPath is left for the caller, and the last error says why.
int ReplaceTarget(const char *workingPath, const char *targetPath);

// Deletes the working files (and only those names) that a run killed before it ended left in dir.
void DeleteStaleWorkingFiles(const char *dir);

#endif
