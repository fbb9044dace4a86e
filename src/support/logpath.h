// Where setup.log goes: the current directory, or the file that -log names.
#ifndef TW_LOGPATH_H
#define TW_LOGPATH_H

// The name the log is appended to.
const char *SetupLogPath(void);

// Makes name (relative to the current directory, or full) the log, once it is opened or
// created as setup.log is (never through a link); 0 when it cannot be, and the log stays
// where it was.
int UseLogFile(const char *name);

#endif
