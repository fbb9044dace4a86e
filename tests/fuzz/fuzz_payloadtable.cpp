// Fuzz target: the payload record read from setup.exe's own resource, whatever it holds.
#include "fuzz.h"

#include <strings.h>

#include "changes/payloadtable.h"

static uint32_t Le32(const unsigned char *p)
{
    return p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A name to look up, then the table's bytes in a block of exactly their size.
    std::vector<Text> texts = SplitTexts(data, size, 1);
    size_t used = strlen(texts[0].data()) + 1;
    const char *name = texts[0].data();
    size_t tableSize = used < size ? size - used : 0;
    std::vector<unsigned char> table(data + size - tableSize, data + size);
    PayloadCheck check;
    int found = FindPayloadCheck(tableSize ? table.data() : nullptr, tableSize, name, &check);

    bool shaped = tableSize >= PAYLOAD_TABLE_HEADER_SIZE && memcmp(table.data(), "TWPC", 4) == 0 &&
                  (tableSize - 8) % 32 == 0 && (tableSize - 8) / 32 == Le32(table.data() + 4);
    if (!shaped) {
        CHECK(found == PAYLOAD_CHECK_BAD_TABLE);
        return 0;
    }
    // The first row whose name (cut at 16 bytes) matches, in any letter case, gives the values.
    const unsigned char *match = nullptr;
    for (size_t at = 8; at < tableSize && !match; at += 32) {
        char rowName[17] = {};
        memcpy(rowName, table.data() + at, 16);
        if (strcasecmp(rowName, name) == 0)
            match = table.data() + at + 16;
    }
    CHECK(found == (match ? PAYLOAD_CHECK_FOUND : PAYLOAD_CHECK_NO_ENTRY));
    if (!match)
        return 0;
    CHECK(check.storedLength == Le32(match) && check.storedCrc == Le32(match + 4));
    CHECK(check.expandedLength == Le32(match + 8) && check.expandedCrc == Le32(match + 12));

    // A table the build writes from these values reads back to them.
    unsigned char made[PAYLOAD_TABLE_HEADER_SIZE + PAYLOAD_TABLE_ROW_SIZE] = {};
    PutPayloadTableHeader(made, 1);
    if (PutPayloadTableRow(made + PAYLOAD_TABLE_HEADER_SIZE, name, &check)) {
        PayloadCheck again;
        CHECK(FindPayloadCheck(made, sizeof made, name, &again) == PAYLOAD_CHECK_FOUND);
        CHECK(memcmp(&again, &check, sizeof check) == 0);
    }
    return 0;
}
