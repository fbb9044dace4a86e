// The log line of a command-line value that an update does not use.
#ifndef TW_NOTUSED_H
#define TW_NOTUSED_H

// Logs that a command-line value was not used because the installation that is updated keeps
// what it has; nothing is said when the two agree.
void LogValueNotUsed(const char *name, const char *given, const char *what, const char *recorded);

#endif
