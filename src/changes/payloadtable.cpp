// Reading and writing the payload record, byte by byte so that host and target agree.
#include "payloadtable.h"

#include <string.h>

#include "../support/crc32.h"
#include "../support/strbuf.h"

static uint32_t GetLe32(const unsigned char *p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

static void PutLe32(unsigned char *p, uint32_t v)
{
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
    p[2] = (unsigned char)(v >> 16);
    p[3] = (unsigned char)(v >> 24);
}

int FindPayloadCheck(const unsigned char *table, size_t size, const char *resourceName,
                     PayloadCheck *out)
{
    if (!table || size < PAYLOAD_TABLE_HEADER_SIZE || memcmp(table, PAYLOAD_TABLE_SIGNATURE, 4) != 0)
        return PAYLOAD_CHECK_BAD_TABLE;
    size_t body = size - PAYLOAD_TABLE_HEADER_SIZE;
    if (body % PAYLOAD_TABLE_ROW_SIZE != 0 || body / PAYLOAD_TABLE_ROW_SIZE != GetLe32(table + 4))
        return PAYLOAD_CHECK_BAD_TABLE;
    for (size_t at = PAYLOAD_TABLE_HEADER_SIZE; at < size; at += PAYLOAD_TABLE_ROW_SIZE) {
        const unsigned char *row = table + at;
        char name[PAYLOAD_TABLE_NAME_SIZE + 1];
        memcpy(name, row, PAYLOAD_TABLE_NAME_SIZE);
        name[PAYLOAD_TABLE_NAME_SIZE] = '\0';
        if (!StrEqualNoCase(name, resourceName))
            continue;
        const unsigned char *n = row + PAYLOAD_TABLE_NAME_SIZE;
        out->storedLength = GetLe32(n);
        out->storedCrc = GetLe32(n + 4);
        out->expandedLength = GetLe32(n + 8);
        out->expandedCrc = GetLe32(n + 12);
        return PAYLOAD_CHECK_FOUND;
    }
    return PAYLOAD_CHECK_NO_ENTRY;
}

int StoredBytesMatch(const PayloadCheck *check, const void *bytes, size_t size)
{
    return check && size == check->storedLength && Crc32(0, bytes, size) == check->storedCrc;
}

void PutPayloadTableHeader(unsigned char *out, uint32_t rows)
{
    memcpy(out, PAYLOAD_TABLE_SIGNATURE, 4);
    PutLe32(out + 4, rows);
}

int PutPayloadTableRow(unsigned char *row, const char *resourceName, const PayloadCheck *check)
{
    size_t n = strlen(resourceName);
    if (n == 0 || n >= PAYLOAD_TABLE_NAME_SIZE)
        return 0;
    memset(row, 0, PAYLOAD_TABLE_NAME_SIZE);
    memcpy(row, resourceName, n);
    unsigned char *v = row + PAYLOAD_TABLE_NAME_SIZE;
    PutLe32(v, check->storedLength);
    PutLe32(v + 4, check->storedCrc);
    PutLe32(v + 8, check->expandedLength);
    PutLe32(v + 12, check->expandedCrc);
    return 1;
}
