// Writing the payload to the temporary directory and deleting it again.
#ifndef TW_EXTRACT_H
#define TW_EXTRACT_H

#include <windows.h>

int DeleteExtractedFiles(void);

#endif
