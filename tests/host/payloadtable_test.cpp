// CRC-32 against known values, and the payload record as the build writes and the setup reads it.
#include <gtest/gtest.h>

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
