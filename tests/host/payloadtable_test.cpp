// CRC-32 against known values, and the payload record as the build writes and the setup reads it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/crc32.h"
#include "workflow/payloadtable.h"

TEST(Crc32, KnownValuesAndPiecesInOrder)
{
    struct Case {
        const char *text;
        uint32_t crc;
    } cases[] = {
        {"", 0x00000000},
        {"a", 0xE8B7BE43},
        {"123456789", 0xCBF43926},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.crc, Crc32(0, c.text, strlen(c.text))) << c.text;
    const char *whole = "The quick brown fox jumps over the lazy dog";
    EXPECT_EQ(0x414FA339u, Crc32(Crc32(Crc32(0, whole, 4), whole + 4, 0), whole + 4, strlen(whole) - 4));
    std::vector<unsigned char> zeros(4096, 0);
    EXPECT_EQ(0xC71C0011u, Crc32(0, zeros.data(), zeros.size()));
}

namespace {

std::vector<unsigned char> Table(const std::vector<std::pair<const char *, PayloadCheck>> &rows)
{
    std::vector<unsigned char> t(PAYLOAD_TABLE_HEADER_SIZE + rows.size() * PAYLOAD_TABLE_ROW_SIZE, 0xEE);
    PutPayloadTableHeader(t.data(), (uint32_t)rows.size());
    for (size_t i = 0; i < rows.size(); i++)
        EXPECT_EQ(1, PutPayloadTableRow(&t[PAYLOAD_TABLE_HEADER_SIZE + i * PAYLOAD_TABLE_ROW_SIZE],
                                        rows[i].first, &rows[i].second));
    return t;
}

}  // namespace

TEST(PayloadTable, RowsAreFoundByNameAndAnythingNotATableIsRefused)
{
    std::vector<unsigned char> t = Table({{"EXEFILE", {305139, 0xDEADBEEF, 602112, 0x01020304}},
                                          {"A15CHARACTERSXX", {1, 2, 3, 4}}});
    const unsigned char head[] = {'T', 'W', 'P', 'C', 2, 0, 0, 0, 'E', 'X', 'E', 'F', 'I', 'L', 'E', 0};
    EXPECT_EQ(0, memcmp(head, t.data(), sizeof head));  // little-endian, NUL-padded
    PayloadCheck c = {};
    ASSERT_EQ(PAYLOAD_CHECK_FOUND, FindPayloadCheck(t.data(), t.size(), "exefile", &c));
    EXPECT_EQ(305139u, c.storedLength);
    EXPECT_EQ(0xDEADBEEFu, c.storedCrc);
    EXPECT_EQ(602112u, c.expandedLength);
    EXPECT_EQ(0x01020304u, c.expandedCrc);
    EXPECT_EQ(PAYLOAD_CHECK_FOUND, FindPayloadCheck(t.data(), t.size(), "A15CHARACTERSXX", &c));
    EXPECT_EQ(3u, c.expandedLength);
    EXPECT_EQ(PAYLOAD_CHECK_NO_ENTRY, FindPayloadCheck(t.data(), t.size(), "EXEFIL", &c));
    EXPECT_EQ(PAYLOAD_CHECK_NO_ENTRY, FindPayloadCheck(t.data(), t.size(), "EXEFILEX", &c));

    unsigned char row[PAYLOAD_TABLE_ROW_SIZE];
    EXPECT_EQ(0, PutPayloadTableRow(row, "", &c));
    EXPECT_EQ(0, PutPayloadTableRow(row, "SIXTEENCHARACTER", &c));

    // Cut short, one byte too many, a count that is not the rows', another signature.
    EXPECT_EQ(PAYLOAD_CHECK_BAD_TABLE, FindPayloadCheck(t.data(), t.size() - 1, "EXEFILE", &c));
    EXPECT_EQ(PAYLOAD_CHECK_BAD_TABLE, FindPayloadCheck(t.data(), PAYLOAD_TABLE_HEADER_SIZE + 16, "EXEFILE", &c));
    EXPECT_EQ(PAYLOAD_CHECK_BAD_TABLE, FindPayloadCheck(t.data(), 3, "EXEFILE", &c));
    EXPECT_EQ(PAYLOAD_CHECK_BAD_TABLE, FindPayloadCheck(nullptr, 0, "EXEFILE", &c));
    std::vector<unsigned char> longer = t;
    longer.push_back(0);
    EXPECT_EQ(PAYLOAD_CHECK_BAD_TABLE, FindPayloadCheck(longer.data(), longer.size(), "EXEFILE", &c));
    std::vector<unsigned char> wrongCount = t;
    wrongCount[4] = 3;
    EXPECT_EQ(PAYLOAD_CHECK_BAD_TABLE, FindPayloadCheck(wrongCount.data(), wrongCount.size(), "EXEFILE", &c));
    wrongCount[4] = 0;
    wrongCount[7] = 0x80;  // 2^31 + 2 rows: no size can hold them
    EXPECT_EQ(PAYLOAD_CHECK_BAD_TABLE, FindPayloadCheck(wrongCount.data(), wrongCount.size(), "EXEFILE", &c));
    std::vector<unsigned char> other = t;
    other[0] = 'X';
    EXPECT_EQ(PAYLOAD_CHECK_BAD_TABLE, FindPayloadCheck(other.data(), other.size(), "EXEFILE", &c));
    std::vector<unsigned char> empty = Table({});
    EXPECT_EQ(PAYLOAD_CHECK_NO_ENTRY, FindPayloadCheck(empty.data(), empty.size(), "EXEFILE", &c));
}

TEST(PayloadTable, StoredBytesMatchOnlyTheRecordedOnes)
{
    std::string bytes = "SZDD and some packed bytes";
    PayloadCheck c = {(uint32_t)bytes.size(), Crc32(0, bytes.data(), bytes.size()), 0, 0};
    EXPECT_EQ(1, StoredBytesMatch(&c, bytes.data(), bytes.size()));
    EXPECT_EQ(0, StoredBytesMatch(&c, bytes.data(), bytes.size() - 1));  // cut short
    bytes[3] ^= 0x01;
    EXPECT_EQ(0, StoredBytesMatch(&c, bytes.data(), bytes.size()));
    EXPECT_EQ(0, StoredBytesMatch(nullptr, bytes.data(), bytes.size()));
}
