// CRC-32 of the common IEEE polynomial (reflected 0xEDB88320), as zip and PNG compute it.
#ifndef TW_CRC32_H
#define TW_CRC32_H

#include <stddef.h>
#include <stdint.h>

// The CRC of size more bytes after the ones that gave crc; start with 0. Pieces fed in
// order give the CRC of the whole.
uint32_t Crc32(uint32_t crc, const void *data, size_t size);

#endif
