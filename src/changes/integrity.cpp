// Reading the payload record out of setup.exe, and a written file back from the disk.
#include "integrity.h"

#include "../support/crc32.h"
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

// The file is read as the disk now holds it, so that whatever came between the expansion and
// the disk is covered as well.
int FileMatchesRecord(const char *path, uint32_t length, uint32_t crc)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    unsigned char chunk[4096];
    uint32_t sum = 0;
    DWORD total = 0, got = 0;
    BOOL read;
    while ((read = ReadFile(file, chunk, sizeof chunk, &got, NULL)) && got > 0 && total <= length) {
        sum = Crc32(sum, chunk, got);
        total += got;
    }
    CloseHandle(file);
    return read && total == length && sum == crc;
}
