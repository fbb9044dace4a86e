// The build's record of the payload: layout of the table resource, lookup, and writing it.
#ifndef TW_PAYLOADTABLE_H
#define TW_PAYLOADTABLE_H

#include <stddef.h>
#include <stdint.h>

// An RCDATA resource of setup.exe, language 1033, made by the build from the packed files.
// Numbers are 32-bit little-endian.
//   header, 8 bytes:  the signature "TWPC", then the number of rows
//   each row, 32 bytes: the payload resource's name, NUL-padded to 16 bytes (1 to 15
//                       characters), then its stored length, stored CRC-32, expanded length
//                       and expanded CRC-32
// The size of the resource is exactly header plus rows; anything else is not a table.
#define PAYLOAD_TABLE_RESOURCE "PAYLOADCHECK"
#define PAYLOAD_TABLE_SIGNATURE "TWPC"
#define PAYLOAD_TABLE_HEADER_SIZE 8
#define PAYLOAD_TABLE_ROW_SIZE 32
#define PAYLOAD_TABLE_NAME_SIZE 16

// What one payload resource held when it was built: as stored (SZDD) and as expanded.
struct PayloadCheck {
    uint32_t storedLength;
    uint32_t storedCrc;
    uint32_t expandedLength;
    uint32_t expandedCrc;
};

// Results of FindPayloadCheck.
#define PAYLOAD_CHECK_FOUND 1
#define PAYLOAD_CHECK_NO_ENTRY 0
#define PAYLOAD_CHECK_BAD_TABLE (-1)  // wrong signature, or a size that is not its rows'

// Looks resourceName up (case ignored, as resource names compare) in the table of size bytes.
int FindPayloadCheck(const unsigned char *table, size_t size, const char *resourceName,
                     PayloadCheck *out);
// 1 when the bytes are the ones the record describes: same length, same CRC.
int StoredBytesMatch(const PayloadCheck *check, const void *bytes, size_t size);

// Writing a table of `rows` rows into PAYLOAD_TABLE_HEADER_SIZE + rows * ROW_SIZE bytes: the
// header first, then row i at header + i * ROW_SIZE. A row is refused (0) for an empty name
// or one of more than 15 characters.
void PutPayloadTableHeader(unsigned char *out, uint32_t rows);
int PutPayloadTableRow(unsigned char *row, const char *resourceName, const PayloadCheck *check);

#endif
