// CRC-32 eight bytes at a time ("slicing by 8"), from tables built on first use in
// uninitialised data: fast enough that checking a file costs little beside writing it, and
// no bytes in the program file.
#include "crc32.h"

// table[0] is the byte table of the reflected polynomial 0xEDB88320; table[k][b] is the CRC of
// byte b followed by k zero bytes, so that eight bytes are folded in with eight look-ups.
static uint32_t table[8][256];

static void BuildTable(void)
{
    for (uint32_t b = 0; b < 256; b++) {
        uint32_t c = b;
        for (int i = 0; i < 8; i++)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
        table[0][b] = c;
    }
    for (uint32_t b = 0; b < 256; b++)
        for (int k = 1; k < 8; k++)
            table[k][b] = (table[k - 1][b] >> 8) ^ table[0][table[k - 1][b] & 0xFF];
}

uint32_t Crc32(uint32_t crc, const void *data, size_t size)
{
    // The last entry is nonzero once the tables are complete.
    if (!table[7][255])
        BuildTable();
    const unsigned char *p = static_cast<const unsigned char *>(data);
    crc = ~crc;
    for (; size >= 8; size -= 8, p += 8) {
        uint32_t lo = crc ^ (p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24);
        uint32_t hi = p[4] | (uint32_t)p[5] << 8 | (uint32_t)p[6] << 16 | (uint32_t)p[7] << 24;
        crc = table[7][lo & 0xFF] ^ table[6][(lo >> 8) & 0xFF] ^ table[5][(lo >> 16) & 0xFF] ^
              table[4][lo >> 24] ^ table[3][hi & 0xFF] ^ table[2][(hi >> 8) & 0xFF] ^
              table[1][(hi >> 16) & 0xFF] ^ table[0][hi >> 24];
    }
    while (size--)
        crc = table[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
    return ~crc;
}
