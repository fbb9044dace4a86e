// Payload extraction and cleanup of the temporary files of this run.
#include "extract.h"

int DeleteExtractedFiles(void)
{
    return 0;
}
