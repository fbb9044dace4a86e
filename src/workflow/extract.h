// Writing the payload to the temporary directory and deleting it again.
#ifndef TW_EXTRACT_H
#define TW_EXTRACT_H

#include <windows.h>

// Writes the payload resource of every FileTable row, still compressed, to the temporary
// directory under the row's sourceName, with the progress dialog owned by owner. Returns the
// number of rows written completely (each gets the FILE_EXTRACTED bit); 0 means failure.
int ExtractPayload(HINSTANCE instance, HWND owner);
// Writes the resource of type "EXE" named resourceName to directory + fileName: 1 when every
// byte was written. statusControl, when not null, shows the progress line.
int ExtractResourceFile(HINSTANCE instance, HWND statusControl, const char *resourceName,
                        const char *directory, const char *fileName);
// Deletes the temporary file of every row this run extracted. Returns 0.
int DeleteExtractedFiles(void);

#endif
