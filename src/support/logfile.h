// Opening the setup log so that it is never written through a link.
#ifndef TW_LOGFILE_H
#define TW_LOGFILE_H

#include <windows.h>

// Opens path for appending: an existing plain file with one name that lies in the directory
// path names, or a new file made there. A link (symbolic link, junction or mount point), a
// second hard link or anything else is left untouched: INVALID_HANDLE_VALUE then, as for a
// file that cannot be opened. The decision is made on the handle returned, not on the name.
HANDLE OpenLogFile(const char *path);

#endif
