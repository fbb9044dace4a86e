// CRC-32 by a 256-entry table made at compile time.
#include "crc32.h"

namespace {

struct CrcTable {
    uint32_t entry[256];
};

constexpr CrcTable MakeTable()
{
    CrcTable t = {};
    for (uint32_t i = 0; i < 256; i++) {
        uint32_t c = i;
        for (int bit = 0; bit < 8; bit++)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t.entry[i] = c;
    }
    return t;
}

constexpr CrcTable table = MakeTable();

}  // namespace

uint32_t Crc32(uint32_t crc, const void *data, size_t size)
{
    const unsigned char *p = static_cast<const unsigned char *>(data);
    crc = ~crc;
    while (size--)
        crc = table.entry[(crc ^ *p++) & 0xFF] ^ (crc >> 8);
    return ~crc;
}
