// Reading and writing the installation record; none of it logs or reports.
#include "record.h"

#include <windows.h>
#include <string.h>

#include "../shell/manifest.h"
#include "../support/strbuf.h"

size_t ReadRecordValue(const char *key, const char *defaultValue, char *out, size_t outSize)
{
    char value[RECORD_VALUE_SIZE];
    GetProfileStringA(installManifest.productName, key, defaultValue ? defaultValue : "", value, sizeof value);
    StrCopy(out, outSize, value);
    return strnlen(out, outSize);
}
