// Reading the payload record out of setup.exe.
#include "integrity.h"

#include "payloadtable.h"

const unsigned char *LoadPayloadTable(HINSTANCE instance, size_t *size)
{
    *size = 0;
    HRSRC resource = FindResourceA(instance, PAYLOAD_TABLE_RESOURCE, RT_RCDATA);
    HGLOBAL block = resource ? LoadResource(instance, resource) : NULL;
    const unsigned char *bytes = block ? (const unsigned char *)LockResource(block) : NULL;
    if (bytes)
        *size = SizeofResource(instance, resource);
    return bytes;
}
