// Writing the payload to the run's private working directory and deleting it again.
#ifndef TW_EXTRACT_H
#define TW_EXTRACT_H

#include <windows.h>

#include "../shell/manifest.h"
#include "../changes/payloadtable.h"

// Results of ExtractResourceFile.
#define EXTRACT_DONE 1
#define EXTRACT_FAILED 0
#define EXTRACT_DAMAGED (-1)  // the resource is not what the build recorded: nothing written
#define EXTRACT_WRITE_FAILED (-2)  // the file could not be written whole (a full disk, an I/O error)

// Writes the payload resource of every FileTable row, still compressed, to the run's working
// directory (made first, see CreateWorkingDirectory) under the row's sourceName, with the progress dialog owned by owner. Returns the
// number of rows written completely (each gets the FILE_EXTRACTED bit); 0 means failure.
// Each row first takes its record from the build's table (FileEntry.checked); at the first
// row without one, or whose resource differs from it, extraction stops: see DamagedPayloadRow.
// A write that fails in the working directory stops it too, and then 0 is returned: no other
// disk or directory would help, so nobody is asked for one.
int ExtractPayload(HINSTANCE instance, HWND owner);
// The row whose payload extraction refused, or null.
const FileEntry *DamagedPayloadRow(void);
// Writes the resource of type "EXE" named resourceName to directory + fileName when its bytes
// match check (a null check matches nothing). EXTRACT_DONE when every byte was written.
// statusControl, when not null, shows the progress line.
int ExtractResourceFile(HINSTANCE instance, HWND statusControl, const char *resourceName,
                        const char *directory, const char *fileName, const PayloadCheck *check);
// The working directory the payload went to, with its trailing backslash; "" when none was made.
const char *ExtractionDirectory(void);
// Deletes the file of every row this run extracted, then the working directory. Returns 0.
int DeleteExtractedFiles(void);

#endif
