// Fuzz target: the Groups reply of whatever answers PROGMAN, copied into a fixed buffer and split.
#include "fuzz.h"

#include <string>

#include "progman/commands.h"

static bool IsBreak(char c)
{
    return c == '\r' || c == '\n';
}

// The lines of a text: the runs between line breaks that are not empty.
static std::vector<std::string> Lines(const char *text, size_t n)
{
    std::vector<std::string> lines;
    for (size_t i = 0; i < n;) {
        size_t j = i;
        while (j < n && !IsBreak(text[j]))
            j++;
        if (j > i)
            lines.push_back(std::string(text + i, j - i));
        i = j + 1;
    }
    return lines;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    // Two bytes size the buffer; the rest is the reply, zero bytes and all.
    size_t cap = (data[0] | data[1] << 8) % 1200;
    std::vector<char> reply(data + 2, data + size);
    std::vector<char> buffer = Buffer(cap);
    size_t n = CopyGroupReply(buffer.data(), cap, reply.data(), reply.size());
    if (cap == 0) {
        CHECK(n == 0);
        return 0;
    }
    // The text of the reply ends at its zero byte or its size; all of it when it fits, else
    // the longest part that ends with a whole line (a line break follows it).
    const char *text = reply.data();
    size_t length = reply.empty() ? 0 : strnlen(text, reply.size());
    size_t keep = length;
    if (length > cap - 1)
        for (keep = cap - 1; keep > 0 && !IsBreak(text[keep - 1]) && !IsBreak(text[keep]); keep--)
            ;
    CHECK(n == keep);
    CHECK(buffer[n] == '\0' && (n == 0 || memcmp(buffer.data(), text, n) == 0));

    // Split as the group dialog does: never more names than lines, each a whole line in turn.
    std::vector<std::string> lines = Lines(text, length);
    std::vector<std::string> kept = Lines(buffer.data(), n);
    char *cursor = buffer.data();
    size_t count = 0;
    while (char *name = NextGroupName(&cursor)) {
        CHECK(name >= buffer.data() && name < buffer.data() + n);
        CHECK(cursor >= name && cursor <= buffer.data() + n);
        CHECK(count < kept.size() && count < lines.size());
        CHECK(kept[count] == name && lines[count] == name);
        count++;
    }
    CHECK(count == kept.size());
    return 0;
}
