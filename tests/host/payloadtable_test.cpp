// CRC-32 against known values, and the payload record as the build writes and the setup reads it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "support/crc32.h"
#include "changes/payloadtable.h"

TEST(Crc32, KnownValuesAndPiecesInOrder)
{
    const char *fox = "The quick brown fox jumps over the lazy dog";
    EXPECT_EQ(0u, Crc32(0, "", 0));
    EXPECT_EQ(0xCBF43926u, Crc32(0, "123456789", 9));
    EXPECT_EQ(0x414FA339u, Crc32(0, fox, strlen(fox)));
    EXPECT_EQ(0x414FA339u, Crc32(Crc32(0, fox, 4), fox + 4, strlen(fox) - 4));
}

// The CRC a bit at a time, straight from the polynomial.
static uint32_t BitwiseCrc32(const unsigned char *p, size_t n)
{
    uint32_t c = 0xFFFFFFFFu;
    while (n--) {
        c ^= *p++;
        for (int i = 0; i < 8; i++)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

// Four bytes at a time and the bytes left over: every length and start within a long run,
// and a file fed in blocks of odd sizes, as the copy engine feeds what it writes.
TEST(Crc32, EveryLengthAndAlignmentMatchesTheBitwiseCrc)
{
    std::vector<unsigned char> bytes(70000);
    uint32_t x = 1;
    for (auto &b : bytes)
        b = (unsigned char)((x = x * 69069 + 1) >> 24);
    for (size_t start = 0; start < 9; start++)
        for (size_t n = 0; n <= 40; n++)
            ASSERT_EQ(BitwiseCrc32(&bytes[start], n), Crc32(0, &bytes[start], n)) << start << " " << n;
    uint32_t whole = BitwiseCrc32(bytes.data(), bytes.size()), pieces = 0;
    for (size_t at = 0, piece = 1; at < bytes.size(); at += piece, piece = piece * 3 + 1)
        pieces = Crc32(pieces, &bytes[at], std::min(piece, bytes.size() - at));
    EXPECT_EQ(whole, pieces);
    EXPECT_EQ(whole, Crc32(0, bytes.data(), bytes.size()));
}

TEST(PayloadTable, RowsAreFoundByNameAndAnythingNotATableIsRefused)
{
    const PayloadCheck exe = {305139, 0xDEADBEEF, 602112, 0x01020304};
    std::vector<unsigned char> t(PAYLOAD_TABLE_HEADER_SIZE + 2 * PAYLOAD_TABLE_ROW_SIZE);
    PutPayloadTableHeader(t.data(), 2);
    ASSERT_EQ(1, PutPayloadTableRow(&t[8], "EXEFILE", &exe));
    ASSERT_EQ(1, PutPayloadTableRow(&t[40], "A15CHARACTERSXX", &exe));
    EXPECT_EQ(0, PutPayloadTableRow(&t[40], "SIXTEENCHARACTER", &exe));
    EXPECT_EQ(0, PutPayloadTableRow(&t[40], "", &exe));
    const unsigned char head[] = {'T', 'W', 'P', 'C', 2, 0, 0, 0, 'E', 'X', 'E', 'F', 'I', 'L', 'E', 0};
    EXPECT_EQ(0, memcmp(head, t.data(), sizeof head));  // little-endian, NUL-padded

    PayloadCheck c = {};
    ASSERT_EQ(PAYLOAD_CHECK_FOUND, FindPayloadCheck(t.data(), t.size(), "exefile", &c));
    EXPECT_EQ(0, memcmp(&exe, &c, sizeof c));
    EXPECT_EQ(PAYLOAD_CHECK_FOUND, FindPayloadCheck(t.data(), t.size(), "A15CHARACTERSXX", &c));
    EXPECT_EQ(PAYLOAD_CHECK_NO_ENTRY, FindPayloadCheck(t.data(), t.size(), "EXEFIL", &c));

    // Cut short, one byte over, no header, a count that is not the rows', another signature.
    std::vector<unsigned char> over = t, count = t, other = t;
    over.push_back(0);
    count[7] = 0x80;
    other[0] = 'X';
    EXPECT_EQ(PAYLOAD_CHECK_BAD_TABLE, FindPayloadCheck(t.data(), t.size() - 1, "EXEFILE", &c));
    EXPECT_EQ(PAYLOAD_CHECK_BAD_TABLE, FindPayloadCheck(over.data(), over.size(), "EXEFILE", &c));
    EXPECT_EQ(PAYLOAD_CHECK_BAD_TABLE, FindPayloadCheck(t.data(), 3, "EXEFILE", &c));
    EXPECT_EQ(PAYLOAD_CHECK_BAD_TABLE, FindPayloadCheck(count.data(), count.size(), "EXEFILE", &c));
    EXPECT_EQ(PAYLOAD_CHECK_BAD_TABLE, FindPayloadCheck(other.data(), other.size(), "EXEFILE", &c));

    const char bytes[] = "SZDD and packed bytes";
    const PayloadCheck stored = {sizeof bytes, Crc32(0, bytes, sizeof bytes), 0, 0};
    EXPECT_EQ(1, StoredBytesMatch(&stored, bytes, sizeof bytes));
    EXPECT_EQ(0, StoredBytesMatch(&stored, bytes, sizeof bytes - 1));  // cut short
    EXPECT_EQ(0, StoredBytesMatch(nullptr, bytes, sizeof bytes));
}
